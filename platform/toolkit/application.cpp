#include "platform/toolkit/application.h"

#include "platform/toolkit/description.h"
#include "platform/toolkit/errors.h"
#include "platform/toolkit/message_box.h"

#include <algorithm>

namespace toolkit {

TApplication* Application = nullptr;

namespace {
    bool is_button(const TControl* c) { return dynamic_cast<const TButton*>(c) != nullptr; }
    bool is_check_box(const TControl* c) { return dynamic_cast<const TCheckBox*>(c) != nullptr; }

    // The character marked with "&" in a caption ("&&" is a plain "&"), lower-cased; 0 if none.
    char accelerator_of(const std::string& caption)
    {
        for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
            if (caption[i] != '&')
                continue;
            if (caption[i + 1] == '&') {
                ++i;
                continue;
            }
            const char c = caption[i + 1];
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return 0;
    }

    template <class F> struct ScopeExit {
        F f;
        ~ScopeExit() { f(); }
    };
    template <class F> ScopeExit(F) -> ScopeExit<F>;
} // namespace

TApplication::TApplication(Backend& backend)
    : m_backend(backend)
{
    Name = "Application";
    Application = this;
    signals::install(m_queue);
    m_backend.attach(*this);
}

TApplication::~TApplication()
{
    stop_all_timers();
    for (auto& f : m_forms)
        m_backend.destroy(*f);
    m_forms.clear();
    signals::uninstall();
    m_backend.detach();
    if (Application == this)
        Application = nullptr;
}

void TApplication::SetIcon(const Picture& icon) { m_backend.set_icon(icon); }

void TApplication::create_form(
    std::unique_ptr<TForm> form, std::string_view description, std::string_view source_name)
{
    TForm* raw = form.get();
    m_forms.push_back(std::move(form));
    try {
        load_description(*raw, description, source_name);
    } catch (...) {
        m_backend.destroy(*raw);
        m_forms.pop_back();
        throw;
    }
    if (!m_main_form)
        m_main_form = raw;
}

TForm* TApplication::add_form(std::unique_ptr<TForm> form)
{
    m_forms.push_back(std::move(form));
    return m_forms.back().get();
}

void TApplication::destroy_form(TForm* form)
{
    const auto it = std::find_if(m_forms.begin(), m_forms.end(), [form](const auto& f) { return f.get() == form; });
    if (it == m_forms.end())
        return;
    if (m_active_window == form)
        m_active_window = nullptr;
    if (m_active_form == form)
        m_active_form = nullptr;
    m_backend.destroy(*form);
    m_forms.erase(it);
}

TForm* TApplication::find_form(std::string_view name) const
{
    for (const auto& f : m_forms)
        if (f->Name == name)
            return f.get();
    return nullptr;
}

bool TApplication::is_live(const TForm* form) const
{
    return form && std::any_of(m_forms.begin(), m_forms.end(), [form](const auto& f) { return f.get() == form; });
}

// The loops ------------------------------------------------------------------------------------

void TApplication::Run()
{
    if (m_main_form && !m_terminated) {
        show_form(*m_main_form, false);
        m_active_form = m_main_form;
        if (TControl* first = m_main_form->first_in_tab_order())
            m_main_form->SetActiveControl(first);
        activate(m_main_form);
    }
    while (!m_terminated)
        handle_one();
}

void TApplication::Terminate()
{
    if (m_quit_posted)
        return;
    m_quit_posted = true;
    Message quit;
    quit.kind = Message::Kind::Quit;
    m_queue.post(std::move(quit));
}

void TApplication::end_session() { m_terminated = true; }

bool TApplication::handle_ready()
{
    // Cleared before the queue is looked at, so that a post after this point wakes the wait.
    m_queue.clear_wake();
    if (signals::take_end_session()) {
        end_session();
        return true;
    }
    if (signals::take_settings_change()) {
        settings_change();
        return true;
    }
    if (auto message = m_queue.take()) {
        dispatch(*message);
        return true;
    }
    return fire_due_timer();
}

void TApplication::handle_one()
{
    if (!handle_ready())
        m_backend.wait(next_timer_due());
}

void TApplication::handle_pending()
{
    m_backend.poll();
    while (!m_terminated && handle_ready()) {
    }
}

void TApplication::dispatch(Message& m)
{
    using K = Message::Kind;
    if (m.kind == K::Quit) {
        m_terminated = true;
        return;
    }
    // Input for a window that has been destroyed meanwhile is dropped.
    if ((m.form && !is_live(m.form)) || (m.control && !is_live(m.control->Parent())))
        return;
    try {
        switch (m.kind) {
        case K::Quit:
            break;
        case K::Click:
            user_click(*m.control);
            break;
        case K::Key:
            if (!handle_key(*m.form, m.key)) {
                // Left to the focused control's own editing (the headless back-end's fields).
                TControl* focus = m.form->ActiveControl();
                if (auto* edit = dynamic_cast<TEdit*>(focus)) {
                    if (m.key.key == Key::Character && !m.key.ctrl)
                        edit->type(m.key.text);
                    else if (m.key.key == Key::Backspace)
                        edit->backspace();
                    else if (m.key.key == Key::Space)
                        edit->type(" ");
                    else if (m.key.key == Key::Character && m.key.ctrl && m.key.text == "a")
                        edit->select_all();
                } else if (auto* list = dynamic_cast<TListBox*>(focus)) {
                    if (m.key.key == Key::Down || m.key.key == Key::Right)
                        list->SetItemIndex(std::min(list->ItemIndex() + 1, static_cast<int>(list->Items().size()) - 1));
                    else if (m.key.key == Key::Up || m.key.key == Key::Left)
                        list->SetItemIndex(std::max(list->ItemIndex() - 1, 0));
                }
            }
            break;
        case K::Type:
            if (m.form->Enabled() && m.form->Visible())
                if (auto* edit = dynamic_cast<TEdit*>(m.form->ActiveControl()))
                    edit->type(m.text);
            break;
        case K::Close:
            user_close(*m.form);
            break;
        case K::Move:
            m.form->SetPosition(m.x, m.y);
            break;
        case K::Deactivate:
            m_program_active = false;
            break;
        case K::Reactivate:
            m_program_active = true;
            if (m_active_window)
                activate(m_active_window);
            break;
        case K::SettingsChange:
            settings_change();
            break;
        case K::Work:
            if (m.work)
                m.work();
            break;
        }
    } catch (...) {
        HandleException(std::current_exception());
    }
}

void TApplication::settings_change()
{
    try {
        if (OnSettingsChange)
            OnSettingsChange();
    } catch (...) {
        HandleException(std::current_exception());
    }
}

TApplication::ModalWindow::ModalWindow(TApplication& app, TForm& w, bool becomes_active_form, bool show_now)
    : m_app(app)
    , m_window(w)
    , m_becomes_active_form(becomes_active_form)
    , m_previous_form(app.m_active_form)
    , m_previous_window(app.m_active_window)
{
    if (becomes_active_form)
        app.m_active_form = &w;
    for (const auto& f : app.m_forms)
        if (f.get() != &w && f->Visible() && f->Enabled()) {
            f->SetEnabled(false);
            m_disabled.push_back(f.get());
        }
    ++w.m_modal_depth;
    if (show_now)
        show();
}

void TApplication::ModalWindow::show()
{
    if (m_shown)
        return;
    m_shown = true;
    m_app.show_form(m_window, true);
    if (!m_window.ActiveControl() || !m_window.ActiveControl()->CanFocus())
        m_window.SetActiveControl(m_window.first_in_tab_order());
    m_app.activate(&m_window);
}

TApplication::ModalWindow::~ModalWindow()
{
    // Whatever ended the loop, the window is hidden and the program's state is given back.
    --m_window.m_modal_depth;
    m_window.Hide();
    for (TForm* f : m_disabled)
        if (m_app.is_live(f))
            f->SetEnabled(true);
    if (m_becomes_active_form)
        m_app.m_active_form = m_app.is_live(m_previous_form) ? m_previous_form : m_app.m_main_form;
    if (m_app.m_active_window == &m_window || m_app.m_active_window == nullptr || !m_shown)
        m_app.activate(m_app.is_live(m_previous_window) ? m_previous_window : m_app.m_active_form);
}

int TApplication::run_modal(TForm& w, bool becomes_active_form)
{
    ModalWindow modal(*this, w, becomes_active_form);
    if (becomes_active_form && w.OnActivate) {
        try {
            w.OnActivate(&w);
        } catch (...) {
            HandleException(std::current_exception());
        }
    }

    w.ModalResult = mrNone;
    while (w.ModalResult == mrNone) {
        if (m_terminated) {
            w.ModalResult = mrCancel;
            break;
        }
        handle_one();
        if (m_terminated)
            w.ModalResult = mrCancel;
    }
    return w.ModalResult;
}

void TApplication::show_form(TForm& w, bool modal)
{
    if (!w.m_shown_once) {
        const ScreenInfo s = screen();
        w.m_left = std::max(0, (s.width - w.ScaledClientWidth()) / 2);
        w.m_top = std::max(0, (s.height - w.ScaledClientHeight()) / 2);
        w.m_shown_once = true;
    }
    w.m_visible = true;
    m_backend.show(w, modal);
}

void TApplication::activate(TForm* window)
{
    m_active_window = window;
    if (window && window->Visible())
        m_backend.activate(*window);
}

// Errors ---------------------------------------------------------------------------------------

std::string TApplication::box_text(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void TApplication::HandleException(std::exception_ptr error)
{
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error";
    }
    m_backend.cancel_mouse_capture();
    ShowException(message);
}

void TApplication::ShowException(const std::string& message)
{
    message_box(box_text(message), Title, BoxIcon::Stop, { { "OK", mrOk } }, 0, mrOk);
}

int TApplication::message_box(const std::string& text, const std::string& caption, BoxIcon icon,
    const std::vector<BoxButton>& buttons, int focused, int cancel_result)
{
    TForm* box = add_form(build_message_box(*this, text, caption, icon, buttons, focused));
    ScopeExit cleanup { [&] { destroy_form(box); } };
    const int result = run_modal(*box, false);
    for (const auto& b : buttons)
        if (b.result == result)
            return result;
    return cancel_result;
}

// Keyboard and mouse ---------------------------------------------------------------------------

bool TApplication::handle_key(TForm& window, const KeyEvent& key)
{
    // One decision for every back-end: what is_dialog_key leaves alone belongs to the control.
    if (!is_dialog_key(window, key))
        return false;
    if (!window.Enabled() || !window.Visible())
        return true;
    TControl* focus = window.ActiveControl();
    switch (key.key) {
    case Key::Tab:
        move_focus(window, !key.shift);
        break;
    case Key::F4:
        user_close(window);
        break;
    case Key::Enter:
        if (is_button(focus))
            press(*focus);
        break;
    case Key::Space:
        press(*focus);
        break;
    case Key::Left:
    case Key::Up:
    case Key::Right:
    case Key::Down:
        move_focus(window, key.key == Key::Right || key.key == Key::Down);
        break;
    case Key::Character:
        accelerator(window, key.text);
        break;
    default:
        break;
    }
    return true;
}

bool TApplication::is_dialog_key(const TForm& window, const KeyEvent& key) const
{
    if (!window.Enabled() || !window.Visible())
        return true;
    const TControl* focus = window.ActiveControl();
    const bool on_button = is_button(focus) || is_check_box(focus);
    switch (key.key) {
    case Key::Tab:
        return !key.ctrl && !key.alt;
    case Key::Escape:
    case Key::Enter:
        return true;
    case Key::F4:
        return key.alt;
    case Key::Space:
    case Key::Left:
    case Key::Up:
    case Key::Right:
    case Key::Down:
        return on_button;
    case Key::Character:
        return !key.ctrl && (key.alt || on_button);
    default:
        return false;
    }
}

bool TApplication::accelerator(TForm& window, const std::string& character)
{
    if (character.size() != 1)
        return false;
    char c = character[0];
    if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    for (TControl* control : window.controls()) {
        if (!control->Visible() || !control->Enabled() || !control->takes_focus())
            continue;
        if (accelerator_of(control->Text()) == c) {
            press(*control);
            return true;
        }
    }
    return false;
}

void TApplication::move_focus(TForm& window, bool forward)
{
    TControl* next = window.next_in_tab_order(window.ActiveControl(), forward);
    if (!next)
        return;
    window.SetActiveControl(next);
    // An edit field reached with the keyboard has its text selected, so typing replaces it.
    if (auto* edit = dynamic_cast<TEdit*>(next))
        edit->select_all();
}

void TApplication::press(TControl& control)
{
    if (control.takes_focus() && !is_button(&control))
        control.SetFocus();
    control.Click();
}

void TApplication::user_click(TControl& control)
{
    TForm* window = control.Parent();
    if (!window || !window->Visible() || !window->Enabled() || !control.Visible() || !control.Enabled())
        return;
    if (control.takes_focus())
        window->SetActiveControl(&control);
    control.Click();
}

void TApplication::user_close(TForm& window)
{
    if (!window.Enabled() || !window.Visible())
        return;
    window.Close();
}

// Timers ---------------------------------------------------------------------------------------

void TApplication::arm_timer(TTimer& timer)
{
    if (static_cast<int>(m_timers.size()) >= m_backend.timer_limit())
        throw ResourceError("Not enough timers available");
    timer.m_running = true;
    timer.m_due = m_backend.monotonic_ms() + timer.m_interval;
    m_timers.push_back(&timer);
}

void TApplication::disarm_timer(TTimer& timer)
{
    timer.m_running = false;
    m_timers.erase(std::remove(m_timers.begin(), m_timers.end(), &timer), m_timers.end());
}

void TApplication::stop_all_timers()
{
    for (TTimer* t : m_timers)
        t->m_running = false;
    m_timers.clear();
}

std::optional<std::int64_t> TApplication::next_timer_due() const
{
    if (m_timers.empty())
        return std::nullopt;
    std::int64_t due = m_timers.front()->m_due;
    for (const TTimer* t : m_timers)
        due = std::min(due, t->m_due);
    return due;
}

bool TApplication::fire_due_timer()
{
    if (m_timers.empty())
        return false;
    const std::int64_t now = m_backend.monotonic_ms();
    TTimer* due = nullptr;
    for (TTimer* t : m_timers)
        if (t->m_due <= now && (!due || t->m_due < due->m_due))
            due = t;
    if (!due)
        return false;
    // The next tick is set before the handler runs, so a loop inside the handler does not see
    // this one as due again; ticks missed while the thread was busy are not made up.
    due->m_due += due->m_interval;
    if (due->m_due <= now)
        due->m_due = now + due->m_interval;
    const TNotifyEvent handler = due->m_on_timer;
    try {
        if (handler)
            handler(due);
    } catch (...) {
        HandleException(std::current_exception());
    }
    return true;
}

TApplication::BackgroundWork::BackgroundWork(TApplication& app)
    : m_app(app)
{
    if (m_app.m_background_work++ == 0)
        m_app.m_background_window = m_app.m_active_window;
}

TApplication::BackgroundWork::~BackgroundWork()
{
    if (--m_app.m_background_work == 0)
        m_app.m_work_window = nullptr;
}

} // namespace toolkit
