// Times a program from its start to the mapping of its top-level window
// whose title starts with TITLE on the X display in $DISPLAY, then ends it
// with SIGTERM (so it takes its normal way out). Prints two times in
// milliseconds: the time since the start, and the processor time its main
// thread had used by then, which a busy machine stretches far less. Watching
// the root window from outside measures both programs alike, with no code in
// them.
//   MapTimer TITLE PROGRAM [ARGUMENTS...]
#include <xcb/xcb.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double Milliseconds(const timespec& from, const timespec& to)
{
    return double(to.tv_sec - from.tv_sec) * 1e3 + double(to.tv_nsec - from.tv_nsec) / 1e6;
}

// The processor time the process's main thread has used, in milliseconds.
double ThreadTime(pid_t process)
{
    const std::string path = "/proc/" + std::to_string(process) + "/schedstat";
    FILE* file = std::fopen(path.c_str(), "r");
    unsigned long long nanoseconds = 0;
    if (file) {
        if (std::fscanf(file, "%llu", &nanoseconds) != 1)
            nanoseconds = 0;
        std::fclose(file);
    }
    return double(nanoseconds) / 1e6;
}

// The window's _NET_WM_NAME (UTF-8), or its WM_NAME where it has none.
std::string Title(xcb_connection_t* connection, xcb_window_t window)
{
    const char name[] = "_NET_WM_NAME";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom{
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr), &std::free};
    for (xcb_atom_t property : {atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE), xcb_atom_t(XCB_ATOM_WM_NAME)}) {
        if (property == XCB_ATOM_NONE)
            continue;
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply{
            xcb_get_property_reply(connection,
                                   xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                                   nullptr),
            &std::free};
        if (reply && xcb_get_property_value_length(reply.get()) > 0)
            return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                               size_t(xcb_get_property_value_length(reply.get())));
    }
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: MapTimer TITLE PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "MapTimer: cannot open the display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t cookie = xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask);
    if (std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error{xcb_request_check(connection, cookie),
                                                                         &std::free}) {
        std::fprintf(stderr, "MapTimer: cannot watch the root window\n");
        return 1;
    }

    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t child = fork();
    if (child < 0)
        return 1;
    if (child == 0) {
        execvp(argv[2], argv + 2);
        std::perror("MapTimer: exec");
        _exit(127);
    }

    int status = 0;
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        xcb_window_t window = XCB_WINDOW_NONE;
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY)
            window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
        std::free(event);
        if (window != XCB_WINDOW_NONE && Title(connection, window).rfind(argv[1], 0) == 0) {
            timespec end{};
            clock_gettime(CLOCK_MONOTONIC, &end);
            std::printf("%.1f %.1f\n", Milliseconds(start, end), ThreadTime(child));
            kill(child, SIGTERM);
            waitpid(child, &status, 0);
            xcb_disconnect(connection);
            return 0;
        }
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "MapTimer: %s ended before it showed the window\n", argv[2]);
            return 1;
        }
    }
    std::fprintf(stderr, "MapTimer: the display went away\n");
    kill(child, SIGTERM);
    waitpid(child, &status, 0);
    return 1;
}
