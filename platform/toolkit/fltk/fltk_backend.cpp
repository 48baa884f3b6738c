#include "platform/toolkit/fltk/fltk_backend.h"

#include "platform/toolkit/application.h"
#include "platform/toolkit/fltk/fltk_views.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace toolkit::fltk {

namespace {

    FltkBackend* g_backend = nullptr;

    KeyEvent translate_key()
    {
        KeyEvent e;
        const int state = Fl::event_state();
        e.shift = (state & FL_SHIFT) != 0;
        e.ctrl = (state & FL_CTRL) != 0;
        e.alt = (state & FL_ALT) != 0;
        const int k = Fl::event_key();
        switch (k) {
        case FL_Tab:
            e.key = Key::Tab;
            break;
        case FL_Enter:
        case FL_KP_Enter:
            e.key = Key::Enter;
            break;
        case FL_Escape:
            e.key = Key::Escape;
            break;
        case FL_Left:
            e.key = Key::Left;
            break;
        case FL_Right:
            e.key = Key::Right;
            break;
        case FL_Up:
            e.key = Key::Up;
            break;
        case FL_Down:
            e.key = Key::Down;
            break;
        case FL_Home:
            e.key = Key::Home;
            break;
        case FL_End:
            e.key = Key::End;
            break;
        case FL_BackSpace:
            e.key = Key::Backspace;
            break;
        case FL_Delete:
            e.key = Key::Delete;
            break;
        case FL_F + 4:
            e.key = Key::F4;
            break;
        case ' ':
            e.key = Key::Space;
            break;
        default:
            if (k > ' ' && k < 127 && (e.alt || e.ctrl)) {
                // With a modifier the text may be empty or a control character: use the key.
                e.key = Key::Character;
                e.text = std::string(1, static_cast<char>(k));
            } else if (Fl::event_length() > 0 && static_cast<unsigned char>(Fl::event_text()[0]) >= ' ') {
                e.key = Key::Character;
                e.text = std::string(Fl::event_text(), static_cast<std::size_t>(Fl::event_length()));
            } else {
                e.key = Key::Other;
            }
        }
        return e;
    }

    // Every event for our windows passes here first. Disabled windows take no input; keys of the
    // dialog handling go to the toolkit as messages, the rest to the focused widget.
    int dispatch(int event, Fl_Window* window)
    {
        auto* fw = dynamic_cast<FormWindow*>(window);
        if (!fw || !Application)
            return Fl::handle_(event, window);
        TForm& form = fw->form;
        switch (event) {
        case FL_SHORTCUT:
            return 0;
        case FL_PUSH:
        case FL_DRAG:
        case FL_MOUSEWHEEL:
        case FL_FOCUS:
        case FL_DND_ENTER:
        case FL_PASTE:
            if (!form.Enabled())
                return 1;
            break;
        case FL_KEYBOARD: {
            const KeyEvent key = translate_key();
            if (Application->is_dialog_key(form, key)) {
                Message m;
                m.kind = Message::Kind::Key;
                m.form = &form;
                m.key = key;
                Application->queue().post(std::move(m));
                return 1;
            }
            break;
        }
        default:
            break;
        }
        return Fl::handle_(event, window);
    }

    void on_wake(int, void*) { }

    int read_dpi()
    {
        if (const char* xft = XGetDefault(fl_display, "Xft", "dpi")) {
            const double v = std::atof(xft);
            if (v > 0)
                return static_cast<int>(std::lround(v));
        }
        const int screen = fl_screen;
        const int mm = DisplayWidthMM(fl_display, screen);
        if (mm > 0)
            return static_cast<int>(std::lround(DisplayWidth(fl_display, screen) * 25.4 / mm));
        return 96;
    }

} // namespace

FltkBackend::FltkBackend()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        throw std::runtime_error("cannot open the X display");
    fl_open_display(display);
    g_backend = this;
    register_fonts();
    Fl::background(212, 208, 200);
    Fl::visible_focus(0);
    Fl::event_dispatch(dispatch);
    m_screen.dpi = read_dpi();
    m_screen.width = Fl::w();
    m_screen.height = Fl::h();
    const Font window_font;
    fl_font(font_face(window_font), font_pixels(window_font));
    m_screen.text_height = fl_height();
}

FltkBackend::~FltkBackend()
{
    detach();
    Fl::event_dispatch(nullptr);
    g_backend = nullptr;
}

void FltkBackend::attach(TApplication& application)
{
    m_app = &application;
    Fl::add_fd(application.queue().wake_fd(), FL_READ, on_wake);
}

void FltkBackend::detach()
{
    if (m_app)
        Fl::remove_fd(m_app->queue().wake_fd());
    m_app = nullptr;
}

int FltkBackend::font_pixels(const Font& font) const
{
    return static_cast<int>(std::lround(font.height * m_screen.dpi / 96.0));
}

int FltkBackend::font_face(const Font& font) { return font.bold ? FL_FREE_FONT + 1 : FL_FREE_FONT; }

int FltkBackend::text_width(const std::string& text, const Font& font) const
{
    fl_font(font_face(font), font_pixels(font));
    return static_cast<int>(std::ceil(fl_width(text.c_str(), static_cast<int>(text.size()))));
}

std::int64_t FltkBackend::monotonic_ms() const { return system_monotonic_ms(); }

LocalTime FltkBackend::local_time() const { return system_local_time(); }

void FltkBackend::wait(std::optional<std::int64_t> deadline)
{
    // Sleep until an X event, a post into the queue (the eventfd) or the next timer: an idle
    // program uses no processor time.
    double seconds = 1e20;
    if (deadline)
        seconds = std::max<std::int64_t>(0, *deadline - monotonic_ms() + 1) / 1000.0;
    Fl::wait(seconds);
}

void FltkBackend::poll() { Fl::check(); }

bool FltkBackend::any_modal_shown() const
{
    return std::any_of(m_windows.begin(), m_windows.end(), [](FormWindow* w) { return w->shown() && w->visible() && w->modal_shown; });
}

FormWindow* FltkBackend::find_window(const TForm& form) const
{
    for (FormWindow* w : m_windows)
        if (&w->form == &form)
            return w;
    return nullptr;
}

void FltkBackend::show(TForm& form, bool modal)
{
    FormWindow* window = find_window(form);
    if (!window) {
        window = new FormWindow(*this, form);
        if (m_icon)
            window->icon(m_icon.get());
        m_windows.push_back(window);
    }
    window->sync();
    // FLTK gives input only to the newest modal window, so a window shown over a modal one is
    // modal too.
    const bool make_modal = modal || any_modal_shown();
    window->modal_shown = make_modal;
    if (make_modal)
        window->set_modal();
    else
        window->set_non_modal();
    const bool first = !window->shown();
    window->show();
    if (first)
        apply_dialog_hints(*window);
}

void FltkBackend::hide(TForm& form)
{
    FormWindow* w = find_window(form);
    if (!w)
        return;
    // The user may have moved it: remember where it was left.
    if (w->shown())
        form.SetPosition(w->x(), w->y());
    w->hide();
}

void FltkBackend::activate(TForm& form)
{
    if (FormWindow* w = find_window(form); w && w->shown())
        w->focus_active_control();
}

void FltkBackend::destroy(TForm& form)
{
    FormWindow* w = find_window(form);
    if (!w)
        return;
    m_windows.erase(std::find(m_windows.begin(), m_windows.end(), w));
    w->unlink();
    w->hide();
    delete w;
}

void FltkBackend::cancel_mouse_capture()
{
    ++g_capture_generation;
    Fl::pushed(nullptr);
}

void FltkBackend::set_icon(const Picture& icon)
{
    m_icon = icon.empty() ? nullptr : make_image(icon);
    for (FormWindow* w : m_windows)
        w->icon(m_icon.get());
}

} // namespace toolkit::fltk
