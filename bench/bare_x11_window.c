/* The least an Xlib program does to show a window: connect, create a
 * 300x200 window, name its process (_NET_WM_PID, so the bench finds it), map
 * it and wait. The native start-up bench measures zintra beside it. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

int main(void) {
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) return 1;
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 200, 0, 0,
                                        WhitePixel(display, DefaultScreen(display)));
    long pid = getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    (unsigned char*)&pid, 1);
    XMapWindow(display, window);
    XFlush(display);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
    }
}
