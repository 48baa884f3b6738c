#pragma once

#include "platform/toolkit/components.h"
#include "platform/toolkit/local_time.h"

#include <cstdint>
#include <optional>
#include <string>

namespace toolkit {

class TForm;
class TControl;
class TApplication;

struct ScreenInfo {
    int width = 1024;
    int height = 768;
    int text_height = 13; // the measured line height of the window font, in pixels
    int dpi = 96;
};

// What the toolkit needs from a window system. The toolkit decides everything that behaviour
// depends on; a back-end only shows windows, draws, edits text and reports raw input as
// messages posted into the application's queue.
class Backend {
public:
    virtual ~Backend() = default;

    // Called once the application exists, before any window is created.
    virtual void attach(TApplication& application) = 0;
    // Called as the application goes away; the back-end no longer refers to it.
    virtual void detach() { }

    virtual ScreenInfo screen() const = 0;
    // Width in pixels of a line of text in the given font (layout of message boxes).
    virtual int text_width(const std::string& text, const Font& font) const = 0;

    // The monotonic clock that drives the timers, in milliseconds.
    virtual std::int64_t monotonic_ms() const = 0;
    // The local wall clock.
    virtual LocalTime local_time() const = 0;
    // The most timers that may run at once.
    virtual int timer_limit() const { return 1000; }

    // Sleeps until input arrives, something is posted into the queue, or `deadline` (on the
    // monotonic clock) has come. Input is posted into the application's queue.
    virtual void wait(std::optional<std::int64_t> deadline) = 0;
    // Handles the events that are pending now, without waiting.
    virtual void poll() { }

    // A window is shown (`modal`: it is run by a modal loop), hidden, or its state has changed.
    virtual void show(TForm& form, bool modal) = 0;
    virtual void hide(TForm& form) = 0;
    // The window gets the keyboard activation, and its active control the focus.
    virtual void activate(TForm& form) = 0;
    // A window is about to be destroyed.
    virtual void destroy(TForm& form) = 0;
    // Any mouse capture held by a control is released.
    virtual void cancel_mouse_capture() { }
    // The program icon, for the windows' task-bar entries.
    virtual void set_icon(const Picture&) { }
};

} // namespace toolkit
