/* Listens for startup-notification messages on the root window, as a launcher
 * does, and appends each whole message as one line to a file:
 *   x11_startup_listener <file>
 * The file exists (empty) once it listens. Exit code 1 without a display. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) return 1;
    Atom begin = XInternAtom(display, "_NET_STARTUP_INFO_BEGIN", False);
    Atom more = XInternAtom(display, "_NET_STARTUP_INFO", False);
    XSelectInput(display, DefaultRootWindow(display), PropertyChangeMask);
    XSync(display, False);
    FILE* out = fopen(argv[1], "a");
    if (out == NULL) return 1;
    fflush(out);
    char message[4096];
    size_t length = 0;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != ClientMessage || event.xclient.format != 8) continue;
        if (event.xclient.message_type == begin) length = 0;
        else if (event.xclient.message_type != more) continue;
        for (int i = 0; i < 20 && length < sizeof(message) - 1; ++i) {
            char c = event.xclient.data.b[i];
            if (c == '\0') {
                fwrite(message, 1, length, out);
                fputc('\n', out);
                fflush(out);
                length = 0;
                break;
            }
            message[length++] = c;
        }
    }
}
