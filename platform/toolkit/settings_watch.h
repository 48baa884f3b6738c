#pragma once

#include "platform/toolkit/message_queue.h"

#include <string>
#include <thread>

namespace toolkit {

// Posts a settings-change announcement into the queue whenever the file at `path` is written,
// made, moved in or out, or removed. It watches the file's folder, so a file made later is seen
// too; when the folder does not exist there is nothing to watch and nothing is posted.
class SettingsFileWatch {
public:
    SettingsFileWatch(MessageQueue& queue, std::string path);
    ~SettingsFileWatch();
    SettingsFileWatch(const SettingsFileWatch&) = delete;
    SettingsFileWatch& operator=(const SettingsFileWatch&) = delete;
    bool is_watching() const { return m_inotify >= 0; }

private:
    void run();

    MessageQueue& m_queue;
    std::string m_name;
    int m_inotify = -1;
    int m_stop = -1;
    std::thread m_thread;
};

} // namespace toolkit
