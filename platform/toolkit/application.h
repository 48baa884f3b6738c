#pragma once

#include "platform/toolkit/backend.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/message_queue.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit {

// The application: its windows, the message queue, the main loop and the modal loops, the
// timers, the dialog keyboard handling and the one place where errors are reported.
class TApplication : public TComponent {
public:
    explicit TApplication(Backend& backend);
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    std::string Title;
    void SetIcon(const Picture& icon);

    // Creates a window of class F and loads its description. The first window created is the
    // main window. Throws DescriptionError (and whatever a component throws while it is set up,
    // such as ResourceError from a timer); the window is then not kept.
    template <class F> F* CreateForm(std::string_view description, std::string_view source_name)
    {
        auto form = std::make_unique<F>();
        F* raw = form.get();
        create_form(std::move(form), description, source_name);
        return raw;
    }
    // Adds a window made by code (message boxes, the file-operation windows).
    TForm* add_form(std::unique_ptr<TForm> form);
    // Destroys a window made by code once it is closed.
    void destroy_form(TForm* form);
    TForm* MainForm() const { return m_main_form; }
    const std::vector<std::unique_ptr<TForm>>& forms() const { return m_forms; }
    TForm* find_form(std::string_view name) const;
    bool is_live(const TForm* form) const;

    // Shows the main window centred with the focus on its first control, then runs the main
    // loop until the end flag is set.
    void Run();
    // The end request: one quit message goes into the queue; a second request before the loop
    // takes it changes nothing. Returns at once.
    void Terminate();
    // The end flag.
    bool Terminated() const { return m_terminated; }
    // The session ends (SIGTERM, or the end of a headless script): the end flag is set at once.
    void end_session();

    // Takes and handles one message, one timer tick, or waits for the next of them.
    void handle_one();
    // Handles every message and due timer tick waiting now, and the back-end's pending events,
    // without waiting (for a caller busy with work of its own on this thread).
    void handle_pending();

    // Runs `window` modally: disables every other visible and enabled window, shows it, runs
    // the loop until it has a result (cancel once the end flag is set), hides it, enables exactly
    // the windows it disabled and gives activation and focus back. `becomes_active_form`: the
    // window becomes the application's focused window and its activation handler runs.
    int run_modal(TForm& window, bool becomes_active_form);

    // `window` made modal for as long as this lives, for a loop of the caller's own: every other
    // visible and enabled window is disabled at once; the window is shown now or later (show());
    // when this goes, the window is hidden, exactly the windows it disabled are enabled again, and
    // activation and focus go back.
    class ModalWindow {
    public:
        ModalWindow(TApplication& app, TForm& window, bool becomes_active_form, bool show_now = true);
        ~ModalWindow();
        ModalWindow(const ModalWindow&) = delete;
        ModalWindow& operator=(const ModalWindow&) = delete;
        void show();
        bool shown() const { return m_shown; }

    private:
        TApplication& m_app;
        TForm& m_window;
        bool m_becomes_active_form;
        bool m_shown = false;
        TForm* m_previous_form;
        TForm* m_previous_window;
        std::vector<TForm*> m_disabled;
    };

    // Error reporting: the error box, with the message, "." added by the rule, the title as
    // caption, one OK button and the stop icon. The program goes on afterwards.
    void HandleException(std::exception_ptr error);
    void ShowException(const std::string& message);
    static std::string box_text(const std::string& message);

    // A message box with the given buttons, run modally; returns the result of the button
    // pressed, or `cancel_result` when the box is closed or the end flag is set.
    struct BoxButton {
        std::string caption;
        int result;
    };
    int message_box(const std::string& text, const std::string& caption, BoxIcon icon,
        const std::vector<BoxButton>& buttons, int focused = 0, int cancel_result = mrCancel);

    // Dialog keyboard handling for a key aimed at `window`. Returns true when the key was
    // consumed (navigation, a button pressed, an accelerator, a key dropped because the window
    // is disabled); false leaves the key to the focused control's own editing.
    bool handle_key(TForm& window, const KeyEvent& key);
    // Whether handle_key would consume the key, decided without acting on it: a back-end whose
    // controls edit text themselves posts these keys and leaves the others to the control.
    bool is_dialog_key(const TForm& window, const KeyEvent& key) const;
    // A user's click: ignored on a disabled or hidden control or window.
    void user_click(TControl& control);
    // Shows a window: centred on the screen at its first showing, where it was left afterwards.
    void show_form(TForm& window, bool modal);
    // The user closed a window with its close box.
    void user_close(TForm& window);

    // The window that has the keyboard activation (a message box over the settings window, for
    // instance), and the application's focused window, which message boxes never change.
    TForm* active_window() const { return m_active_window; }
    TForm* active_form() const { return m_active_form; }
    bool is_program_active() const { return m_program_active; }

    // Runs when a settings-change announcement arrives, before anything else is done with it.
    std::function<void()> OnSettingsChange;

    MessageQueue& queue() { return m_queue; }
    Backend& backend() { return m_backend; }
    ScreenInfo screen() const { return m_backend.screen(); }
    LocalTime local_time() const { return m_backend.local_time(); }

    // Timers. `arm` throws ResourceError when the back-end's limit is reached.
    void arm_timer(TTimer& timer);
    void disarm_timer(TTimer& timer);
    void stop_all_timers();
    std::optional<std::int64_t> next_timer_due() const;

    // While work runs on other threads (the file-operation service), the headless back-end
    // waits for their posts in real time instead of reading its script, unless a window of the
    // work's own is active: a question the script answers, or its progress window while the
    // script has steps left.
    class BackgroundWork {
    public:
        explicit BackgroundWork(TApplication& app);
        ~BackgroundWork();
        BackgroundWork(const BackgroundWork&) = delete;
        BackgroundWork& operator=(const BackgroundWork&) = delete;

    private:
        TApplication& m_app;
    };
    int background_work() const { return m_background_work; }
    // The window that was active when the outermost background work began.
    TForm* background_window() const { return m_background_window; }
    // A window that only shows how the background work goes (a progress window); nullptr when
    // none. While it is active the work goes on by itself.
    TForm* work_window() const { return m_work_window; }
    void set_work_window(TForm* window) { m_work_window = window; }

private:
    void create_form(std::unique_ptr<TForm> form, std::string_view description, std::string_view source_name);
    // Handles one signal, message or due timer tick; false when none was waiting.
    bool handle_ready();
    void dispatch(Message& message);
    bool fire_due_timer();
    void settings_change();
    void press(TControl& control);
    void move_focus(TForm& window, bool forward);
    bool accelerator(TForm& window, const std::string& character);
    void activate(TForm* window);

    Backend& m_backend;
    MessageQueue m_queue;
    std::vector<std::unique_ptr<TForm>> m_forms;
    TForm* m_main_form = nullptr;
    TForm* m_active_window = nullptr;
    TForm* m_active_form = nullptr;
    bool m_program_active = true;
    bool m_terminated = false;
    bool m_quit_posted = false;
    int m_background_work = 0;
    TForm* m_background_window = nullptr;
    TForm* m_work_window = nullptr;
    std::vector<TTimer*> m_timers;
};

// The program's one application object, set while it exists.
extern TApplication* Application;

} // namespace toolkit
