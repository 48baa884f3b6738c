#pragma once

#include "platform/toolkit/application.h"
#include "platform/toolkit/backend.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace toolkit::headless {

// Input for a headless run, taken one step at a time whenever the loop would wait. Nested modal
// loops read the same script; once it is done the session ends (the end flag is set).
// Windows and controls are named when a step is taken, so a step can aim at a window that only
// exists by then (a message box, for instance).
class Script {
public:
    // Lets virtual time pass; timers that fall due meanwhile tick on time.
    Script& pass(int milliseconds);
    // A user's click on a control.
    Script& click(std::string window, std::string control);
    // A key pressed in the window that has the keyboard activation, or in a named window.
    Script& key(KeyEvent key);
    Script& key(Key key, bool shift = false, bool alt = false);
    Script& key_to(std::string window, KeyEvent key);
    // Text typed into the focused control of the active window.
    Script& type(std::string text);
    // The close box of a window.
    Script& close(std::string window);
    // Presses the button with this caption ("&" left out) on the newest message box.
    Script& answer(std::string caption);
    // Presses Enter on the newest message box: its focused button.
    Script& dismiss();
    Script& move(std::string window, int left, int top);
    Script& deactivate();
    Script& reactivate();
    Script& settings_change();
    Script& sigterm();
    // Runs test code inside the loop at this point.
    Script& call(std::function<void()> step);

    bool empty() const { return m_steps.empty(); }

private:
    friend class HeadlessBackend;
    struct Step {
        int wait_ms = -1; // a pass of time, else `action`
        std::function<void(TApplication&)> action;
    };
    Script& add(std::function<void(TApplication&)> action);
    std::deque<Step> m_steps;
};

// A message box as it was shown.
struct BoxRecord {
    std::string caption;
    std::string text;
    BoxIcon icon = BoxIcon::NoIcon;
    std::vector<std::string> buttons;
    std::string focused; // caption of the button that had the focus when it opened
};

// The back-end without a display: the same windows, descriptions and handlers, input from a
// script, one virtual clock for the timers and the local time.
class HeadlessBackend final : public Backend {
public:
    HeadlessBackend();

    Script& script() { return m_script; }
    void set_screen(int width, int height);
    void set_text_height(int pixels);
    void set_timer_limit(int limit) { m_timer_limit = limit; }
    // The virtual wall clock shows `t` now; it moves on with the virtual monotonic clock.
    void set_local_time(const LocalTime& t);
    std::int64_t now() const { return m_now; }

    const std::vector<BoxRecord>& boxes() const { return m_boxes; }
    // Every showing of a window, in order, by name.
    const std::vector<std::string>& shown() const { return m_shown; }

    void attach(TApplication& application) override { m_app = &application; }
    void detach() override { m_app = nullptr; }
    ScreenInfo screen() const override { return m_screen; }
    int text_width(const std::string& text, const Font& font) const override;
    std::int64_t monotonic_ms() const override { return m_now; }
    LocalTime local_time() const override;
    int timer_limit() const override { return m_timer_limit; }
    void wait(std::optional<std::int64_t> deadline) override;
    void show(TForm& form, bool modal) override;
    void hide(TForm&) override { }
    void activate(TForm&) override { }
    void destroy(TForm&) override { }

private:
    TApplication* m_app = nullptr;
    Script m_script;
    ScreenInfo m_screen;
    int m_timer_limit = 1000;
    std::int64_t m_now = 1'000'000;
    std::int64_t m_wall_offset = 0;
    std::vector<BoxRecord> m_boxes;
    std::vector<std::string> m_shown;
};

} // namespace toolkit::headless
