// Starts a program and reports how long its window took to be mapped on the
// X display: from just before the fork to the MapNotify of the first window
// with the given title (or, inside a window manager's frame, of the frame).
// Then it reads the program's resident memory, asks the window to close as
// a window manager would, and waits for the program to end.
//   tessaly_map_timer TITLE PROGRAM [ARGUMENTS...]
// Prints: milliseconds VmRSS-kB VmHWM-kB exit-status
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::string Title_Of(Display* display, Window window) {
    const Atom net_name = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, net_name, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        title.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) != 0 && name != nullptr) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

// The window with the title: the one mapped, or one inside it (a frame).
Window Find_Titled(Display* display, Window window, const std::string& title, int depth) {
    if (Title_Of(display, window) == title) {
        return window;
    }
    if (depth == 0) {
        return None;
    }
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = None;
    if (XQueryTree(display, window, &root, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count && found == None; ++i) {
            found = Find_Titled(display, children[i], title, depth - 1);
        }
        if (children != nullptr) {
            XFree(children);
        }
    }
    return found;
}

// A window gone between the event and the question is no error here.
int Ignore_Errors(Display*, XErrorEvent*) {
    return 0;
}

long Status_Field(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::strtol(line.c_str() + key.size(), nullptr, 10);
        }
    }
    return -1;
}

void Ask_To_Close(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// The exit status, or -1 when it had to be killed.
int Wait_For_End(pid_t child, int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (Clock::now() < deadline) {
        if (waitpid(child, &status, WNOHANG) == child) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 64;
    }
    const std::string title = argv[1];
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "map_timer: no X display\n");
        return 69;
    }
    XSetErrorHandler(Ignore_Errors);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const auto started = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    Window window = None;
    const auto deadline = started + std::chrono::seconds(60);
    while (window == None) {
        while (XPending(display) > 0 && window == None) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify) {
                window = Find_Titled(display, event.xmap.window, title, 2);
            }
        }
        if (window != None) {
            break;
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "map_timer: %s ended before a window titled \"%s\" showed\n",
                         argv[2], title.c_str());
            return 1;
        }
        if (Clock::now() > deadline) {
            std::fprintf(stderr, "map_timer: no window titled \"%s\" within 60 s\n", title.c_str());
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            return 1;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(ConnectionNumber(display), &readable);
        timeval wait{0, 20000};
        select(ConnectionNumber(display) + 1, &readable, nullptr, nullptr, &wait);
    }
    const double milliseconds =
        std::chrono::duration<double, std::milli>(Clock::now() - started).count();

    // Settled: what the window holds once it is up, not while it loads.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long rss = Status_Field(child, "VmRSS");
    const long hwm = Status_Field(child, "VmHWM");
    Ask_To_Close(display, window);
    const int status = Wait_For_End(child, 20);
    std::printf("%.1f %ld %ld %d\n", milliseconds, rss, hwm, status);
    XCloseDisplay(display);
    return 0;
}
