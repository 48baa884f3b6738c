#pragma once

#include "platform/toolkit/backend.h"

#include <memory>
#include <string>
#include <vector>

class Fl_RGB_Image;

namespace toolkit::fltk {

class FormWindow;

// The back-end on a real X display through FLTK 1.3. Windows and their widgets are views made
// when a window is first shown; the toolkit's own state stays the truth. Input is turned into
// messages for the toolkit's queue, so no handler of the program runs inside an FLTK callback.
class FltkBackend final : public Backend {
public:
    // Opens the display that DISPLAY names. Throws std::runtime_error when it cannot.
    FltkBackend();
    ~FltkBackend() override;

    void attach(TApplication& application) override;
    void detach() override;
    ScreenInfo screen() const override { return m_screen; }
    int text_width(const std::string& text, const Font& font) const override;
    std::int64_t monotonic_ms() const override;
    LocalTime local_time() const override;
    void wait(std::optional<std::int64_t> deadline) override;
    void poll() override;
    void show(TForm& form, bool modal) override;
    void hide(TForm& form) override;
    void activate(TForm& form) override;
    void destroy(TForm& form) override;
    void cancel_mouse_capture() override;
    void set_icon(const Picture& icon) override;

    // The font's pixel size for the screen's density, and the FLTK font number.
    int font_pixels(const Font& font) const;
    static int font_face(const Font& font);
    TApplication& application() const { return *m_app; }
    bool any_modal_shown() const;

private:
    FormWindow* find_window(const TForm& form) const;

    TApplication* m_app = nullptr;
    ScreenInfo m_screen;
    std::unique_ptr<Fl_RGB_Image> m_icon;
    std::vector<FormWindow*> m_windows;
};

} // namespace toolkit::fltk
