#pragma once

#include "platform/fileops/copy_engine.h"
#include "platform/toolkit/application.h"

#include <cstdint>
#include <memory>

namespace fileops {

// The copy's windows, through the toolkit: the questions ("Vahvista"), the error reports
// ("Virhe") and the progress window ("Kopioidaan"), which opens once the copy has lasted
// `progress_delay_ms`. From the start the program's own windows take no input; they keep
// ticking and repainting, since the copy waits in the application's loop.
class ServiceWindows final : public CopyHost {
public:
    ServiceWindows(toolkit::TApplication& app, CopyProgress& progress, bool show_progress, bool show_errors);
    ~ServiceWindows() override;

    Answer ask_create_folder(const std::string& shown) override;
    Answer ask_replace_file(const std::string& shown) override;
    Answer ask_merge_folder(const std::string& shown) override;
    void report_error(const std::string& text) override;
    void poll() override;
    void wait() override;
    void wake() override;
    bool cancelled() override;

    static constexpr int progress_delay_ms = 500;
    static constexpr int progress_interval_ms = 100;
    // Names in the progress window.
    static constexpr const char* progress_window_name = "Kopioidaan";
    static constexpr const char* cancel_button_name = "Peruuta";

private:
    Answer ask(const std::string& text, bool with_all);
    void tick();

    toolkit::TApplication& m_app;
    CopyProgress& m_progress;
    bool m_show_progress;
    bool m_show_errors;
    toolkit::TForm* m_window = nullptr;
    toolkit::TLabel* m_item = nullptr;
    toolkit::TProgressBar* m_bar = nullptr;
    std::unique_ptr<toolkit::TApplication::ModalWindow> m_modal;
    std::unique_ptr<toolkit::TApplication::BackgroundWork> m_background;
    toolkit::TTimer m_timer;
    std::int64_t m_started = 0;
    std::string m_shown_item;
};

// The service's error window: the text, the stop icon and "OK", captioned "Virhe".
void show_error_window(toolkit::TApplication& app, const std::string& text);

} // namespace fileops
