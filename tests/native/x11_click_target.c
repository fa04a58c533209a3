/* The native tests' click target: a plain X11 window (no toolkit) that logs
 * every mouse button event it receives, one line each:
 *   <milliseconds> <LD|LU|RD|RU|MD|MU> <root x> <root y> <modifier state>
 * Usage: x11_click_target <log file> [left top width height]
 * Writes "<left> <top> <right> <bottom>" to <log file>.rect once it is
 * mapped, and takes the keyboard focus so hotkeys are pressed "in" it. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double Milliseconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: x11_click_target <log> [left top width height]\n");
        return 2;
    }
    int left = argc > 5 ? atoi(argv[2]) : 0, top = argc > 5 ? atoi(argv[3]) : 0;
    int width = argc > 5 ? atoi(argv[4]) : 640, height = argc > 5 ? atoi(argv[5]) : 480;
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) return 1;
    FILE* log = fopen(argv[1], "w");
    if (log == NULL) return 1;
    int screen = DefaultScreen(display);
    XSetWindowAttributes attributes;
    memset(&attributes, 0, sizeof(attributes));
    attributes.background_pixel = 0xC0C0C0;
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask | StructureNotifyMask | KeyPressMask;
    Window window = XCreateWindow(display, RootWindow(display, screen), left, top, (unsigned)width, (unsigned)height, 0,
                                  CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    XStoreName(display, window, "ZintraClickTarget");
    XSizeHints hints;
    memset(&hints, 0, sizeof(hints));
    hints.flags = USPosition | PPosition;
    hints.x = left;
    hints.y = top;
    XSetWMNormalHints(display, window, &hints);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XMapRaised(display, window);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) {
            XSetInputFocus(display, window, RevertToParent, CurrentTime);
            int x = 0, y = 0;
            Window child;
            XTranslateCoordinates(display, window, RootWindow(display, screen), 0, 0, &x, &y, &child);
            char path[4096];
            snprintf(path, sizeof(path), "%s.rect", argv[1]);
            FILE* rect = fopen(path, "w");
            if (rect != NULL) {
                fprintf(rect, "%d %d %d %d\n", x, y, x + width, y + height);
                fclose(rect);
            }
        } else if (event.type == ButtonPress || event.type == ButtonRelease) {
            const char* button = event.xbutton.button == Button1 ? "L" : event.xbutton.button == Button3 ? "R" : "M";
            fprintf(log, "%.3f %s%s %d %d %u\n", Milliseconds(), button, event.type == ButtonPress ? "D" : "U",
                    event.xbutton.x_root, event.xbutton.y_root, event.xbutton.state);
            fflush(log);
        } else if (event.type == ClientMessage && (Atom)event.xclient.data.l[0] == deleteWindow) {
            break;
        }
    }
    fclose(log);
    XCloseDisplay(display);
    return 0;
}
