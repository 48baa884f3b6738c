#pragma once

#include "platform/toolkit/keys.h"

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace toolkit {

class TForm;
class TControl;

// One message of the user-interface thread's queue. Input from the back-ends, the end request
// and work posted by other threads all travel as messages, one at a time.
struct Message {
    enum class Kind {
        Quit, // the end request
        Click, // a user's click on `control`
        Key, // a key pressed in `form`
        Type, // `text` typed into the focused control of `form`
        Close, // the close box, the window menu's close or Alt+F4 on `form`
        Move, // the user moved `form` to (x, y)
        Deactivate, // the user switched to another program
        Reactivate, // ... and back
        SettingsChange, // the regional settings may have changed
        Work, // run `work` on the user-interface thread
    };
    Kind kind = Kind::Work;
    TForm* form = nullptr;
    TControl* control = nullptr;
    KeyEvent key;
    std::string text;
    int x = 0;
    int y = 0;
    std::function<void()> work;
};

// The one door between threads: any thread may post, only the user-interface thread takes.
// Posting wakes the thread through an eventfd that the back-end's wait watches.
class MessageQueue {
public:
    MessageQueue();
    ~MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    void post(Message message);
    std::optional<Message> take();
    bool empty() const;

    // The descriptor that becomes readable when something was posted or a signal arrived.
    int wake_fd() const { return m_wake_fd; }
    // Wakes the waiting thread. Safe from any thread and from a signal handler.
    void wake() const;
    // Empties the eventfd's counter once the thread is awake.
    void clear_wake() const;

private:
    mutable std::mutex m_mutex;
    std::deque<Message> m_messages;
    int m_wake_fd = -1;
};

// Signals that reach the loop as messages: SIGTERM (the session ends) and SIGHUP (the regional
// settings may have changed). The handlers only set a flag and wake the queue.
namespace signals {
void install(const MessageQueue& queue);
void uninstall();
// What the handler does; the headless back-end calls it to stand in for a real signal.
void notify(int signal_number);
// Takes the pending flags.
bool take_end_session();
bool take_settings_change();
} // namespace signals

} // namespace toolkit
