// Starts a program and prints how many milliseconds pass until a window with the given title is
// mapped and viewable on the display, then ends the program with SIGTERM.
//   map_timer <title> <program> [args...]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Windows come and go while the tree is walked; a vanished one is no error here.
int ignore_errors(Display*, XErrorEvent*) { return 0; }

bool has_viewable_window(Display* d, Window w, const char* title)
{
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        const bool match = std::strcmp(name, title) == 0;
        XFree(name);
        XWindowAttributes a;
        if (match && XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable)
            return true;
    }
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n))
        return false;
    bool found = false;
    for (unsigned i = 0; i < n && !found; ++i)
        found = has_viewable_window(d, children[i], title);
    if (children)
        XFree(children);
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: map_timer <title> <program> [args...]\n");
        return 2;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "map_timer: no display\n");
        return 2;
    }
    XSetErrorHandler(ignore_errors);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    while (!has_viewable_window(d, DefaultRootWindow(d), argv[1])) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "map_timer: the program ended first\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.1f\n", ms);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return 0;
}
