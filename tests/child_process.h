#pragma once

#include <functional>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// Runs `body` in a forked child after `prepare` and returns the text it gave back. Root ignores
// permission bits, so with `as_nobody` a root child first becomes `nobody`; a child of another
// user runs as that user, whom the same permission bits stop.
inline std::string run_in_child(
    const std::function<std::string()>& body, bool as_nobody, const std::function<void()>& prepare = [] {})
{
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe_fds[0]);
        std::string result;
        prepare();
        if (as_nobody && ::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            const uid_t uid = nobody ? nobody->pw_uid : 65534;
            const gid_t gid = nobody ? nobody->pw_gid : 65534;
            if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 || ::setresuid(uid, uid, uid) != 0)
                result = "cannot become nobody";
        }
        if (result.empty())
            result = body();
        (void)!::write(pipe_fds[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(pipe_fds[1]);
    std::string result;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe_fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return result;
}
