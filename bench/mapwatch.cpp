// Starts a program and prints how long it took until its first window was mapped, then leaves
// it running: "<milliseconds> <pid>". There is no window manager under Xvfb, so a top-level
// window's map shows up as a MapNotify on the root window.
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int TimeLimitMs = 30000;
constexpr int PollMs = 50;

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const double start = nowMs();
    const pid_t child = fork();
    if (child < 0)
        return 2;
    if (child == 0) {
        close(ConnectionNumber(display));
        // Our standard output carries the answer; whoever reads it must not wait for the program.
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    double mapped = 0;
    while (mapped == 0) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect) {
                mapped = nowMs();
                break;
            }
        }
        if (mapped != 0)
            break;
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "the program ended before it showed a window\n");
            return 1;
        }
        if (nowMs() - start > TimeLimitMs) {
            std::fprintf(stderr, "no window after %d ms\n", TimeLimitMs);
            kill(child, SIGTERM);
            return 1;
        }
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, PollMs);
    }
    std::printf("%.1f %d\n", mapped - start, int(child));
    XCloseDisplay(display);
    return 0;
}
