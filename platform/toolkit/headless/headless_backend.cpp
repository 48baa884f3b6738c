#include "platform/toolkit/headless/headless_backend.h"

#include <chrono>
#include <csignal>
#include <poll.h>
#include <stdexcept>

namespace toolkit::headless {

namespace {
    TForm& window_named(TApplication& app, const std::string& name)
    {
        // The newest window of that name: nested message boxes share theirs.
        const auto& forms = app.forms();
        for (auto it = forms.rbegin(); it != forms.rend(); ++it)
            if ((*it)->Name == name)
                return **it;
        throw std::logic_error("script: no window named " + name);
    }

    TForm& newest_box(TApplication& app)
    {
        const auto& forms = app.forms();
        for (auto it = forms.rbegin(); it != forms.rend(); ++it)
            if ((*it)->is_message_box() && (*it)->Visible())
                return **it;
        throw std::logic_error("script: no message box is open");
    }

    std::string without_ampersands(const std::string& caption)
    {
        std::string s;
        for (std::size_t i = 0; i < caption.size(); ++i) {
            if (caption[i] == '&' && i + 1 < caption.size())
                ++i;
            s += caption[i];
        }
        return s;
    }

    void post(TApplication& app, Message m) { app.queue().post(std::move(m)); }

    Message message(Message::Kind kind, TForm* form = nullptr)
    {
        Message m;
        m.kind = kind;
        m.form = form;
        return m;
    }
} // namespace

Script& Script::add(std::function<void(TApplication&)> action)
{
    m_steps.push_back({ -1, std::move(action) });
    return *this;
}

Script& Script::pass(int milliseconds)
{
    m_steps.push_back({ std::max(0, milliseconds), nullptr });
    return *this;
}

Script& Script::click(std::string window, std::string control)
{
    return add([window, control](TApplication& app) {
        TForm& w = window_named(app, window);
        TControl* c = w.find_control(control);
        if (!c)
            throw std::logic_error("script: no control " + control + " on " + window);
        Message m = message(Message::Kind::Click, &w);
        m.control = c;
        post(app, std::move(m));
    });
}

Script& Script::key(KeyEvent k)
{
    return add([k](TApplication& app) {
        if (!app.active_window())
            throw std::logic_error("script: no active window for a key");
        Message m = message(Message::Kind::Key, app.active_window());
        m.key = k;
        post(app, std::move(m));
    });
}

Script& Script::key(Key k, bool shift, bool alt)
{
    KeyEvent e;
    e.key = k;
    e.shift = shift;
    e.alt = alt;
    return key(e);
}

Script& Script::key_to(std::string window, KeyEvent k)
{
    return add([window, k](TApplication& app) {
        Message m = message(Message::Kind::Key, &window_named(app, window));
        m.key = k;
        post(app, std::move(m));
    });
}

Script& Script::type(std::string text)
{
    return add([text](TApplication& app) {
        if (!app.active_window())
            throw std::logic_error("script: no active window to type into");
        Message m = message(Message::Kind::Type, app.active_window());
        m.text = text;
        post(app, std::move(m));
    });
}

Script& Script::close(std::string window)
{
    return add([window](TApplication& app) { post(app, message(Message::Kind::Close, &window_named(app, window))); });
}

Script& Script::answer(std::string caption)
{
    return add([caption](TApplication& app) {
        TForm& box = newest_box(app);
        for (TControl* c : box.controls())
            if (dynamic_cast<TButton*>(c) && without_ampersands(c->Text()) == caption) {
                Message m = message(Message::Kind::Click, &box);
                m.control = c;
                post(app, std::move(m));
                return;
            }
        throw std::logic_error("script: the message box has no button " + caption);
    });
}

Script& Script::dismiss()
{
    return add([](TApplication& app) {
        Message m = message(Message::Kind::Key, &newest_box(app));
        m.key.key = Key::Enter;
        post(app, std::move(m));
    });
}

Script& Script::move(std::string window, int left, int top)
{
    return add([window, left, top](TApplication& app) {
        Message m = message(Message::Kind::Move, &window_named(app, window));
        m.x = left;
        m.y = top;
        post(app, std::move(m));
    });
}

Script& Script::deactivate()
{
    return add([](TApplication& app) { post(app, message(Message::Kind::Deactivate)); });
}

Script& Script::reactivate()
{
    return add([](TApplication& app) { post(app, message(Message::Kind::Reactivate)); });
}

Script& Script::settings_change()
{
    return add([](TApplication& app) { post(app, message(Message::Kind::SettingsChange)); });
}

Script& Script::sigterm()
{
    return add([](TApplication&) { signals::notify(SIGTERM); });
}

Script& Script::call(std::function<void()> step)
{
    return add([step = std::move(step)](TApplication&) { step(); });
}

HeadlessBackend::HeadlessBackend() = default;

void HeadlessBackend::set_screen(int width, int height)
{
    m_screen.width = width;
    m_screen.height = height;
}

void HeadlessBackend::set_text_height(int pixels)
{
    m_screen.text_height = pixels;
    m_screen.dpi = mul_div(96, pixels, design_text_height);
}

void HeadlessBackend::set_local_time(const LocalTime& t) { m_wall_offset = to_epoch_ms(t) - m_now; }

LocalTime HeadlessBackend::local_time() const { return from_epoch_ms(m_now + m_wall_offset); }

int HeadlessBackend::text_width(const std::string& text, const Font& font) const
{
    // A fixed advance per character keeps layouts the same on every machine.
    int characters = 0;
    for (const unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++characters;
    return mul_div(characters * 6, font.height * m_screen.text_height, 11 * design_text_height);
}

void HeadlessBackend::wait(std::optional<std::int64_t> deadline)
{
    if (!m_app)
        return;
    // Work on other threads posts into the queue in real time: wait for it, not for the script.
    // Virtual time keeps pace with real time meanwhile, so timers (the progress window's delay,
    // the clock) fall due as they would. A question the work asks is answered from the script.
    const TForm* active = m_app->active_window();
    if (m_app->background_work() > 0
        && (active == m_app->background_window() || (active == m_app->work_window() && m_script.m_steps.empty()))) {
        int timeout = 100;
        if (deadline)
            timeout = static_cast<int>(std::clamp<std::int64_t>(*deadline - m_now, 0, 100));
        const auto start = std::chrono::steady_clock::now();
        pollfd p { m_app->queue().wake_fd(), POLLIN, 0 };
        ::poll(&p, 1, timeout);
        m_now += std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        return;
    }
    if (m_script.m_steps.empty()) {
        m_app->end_session();
        return;
    }
    Script::Step& step = m_script.m_steps.front();
    if (step.wait_ms >= 0) {
        const std::int64_t target = m_now + step.wait_ms;
        if (deadline && *deadline < target) {
            const std::int64_t until = std::max(m_now, *deadline);
            step.wait_ms = static_cast<int>(target - until);
            m_now = until;
        } else {
            m_now = target;
            m_script.m_steps.pop_front();
        }
        return;
    }
    auto action = std::move(step.action);
    m_script.m_steps.pop_front();
    action(*m_app);
}

void HeadlessBackend::show(TForm& form, bool)
{
    m_shown.push_back(form.Name);
    if (!form.is_message_box())
        return;
    BoxRecord r;
    r.caption = form.Caption();
    r.text = form.message_text();
    r.icon = form.message_icon();
    for (TControl* c : form.controls())
        if (dynamic_cast<TButton*>(c)) {
            r.buttons.push_back(c->Text());
            if (form.ActiveControl() == c)
                r.focused = c->Text();
        }
    m_boxes.push_back(std::move(r));
}

} // namespace toolkit::headless
