/* Sends a window the synthetic events anyone on the display may send it:
 *   x11_send_event <window> configure <width> <height>   a ConfigureNotify of that size
 *   x11_send_event <window> expose                        an Expose of the whole window
 * Exit code 1 when the display or the window is not there. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) return 1;
    Window window = (Window)strtoul(argv[1], NULL, 0);
    XEvent event;
    memset(&event, 0, sizeof(event));
    long mask = 0;
    if (strcmp(argv[2], "configure") == 0 && argc == 5) {
        event.xconfigure.type = ConfigureNotify;
        event.xconfigure.event = window;
        event.xconfigure.window = window;
        event.xconfigure.width = atoi(argv[3]);
        event.xconfigure.height = atoi(argv[4]);
        mask = StructureNotifyMask;
    } else if (strcmp(argv[2], "expose") == 0) {
        event.xexpose.type = Expose;
        event.xexpose.window = window;
        event.xexpose.width = 22;
        event.xexpose.height = 22;
        mask = ExposureMask;
    } else {
        return 2;
    }
    if (!XSendEvent(display, window, False, mask, &event)) return 1;
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
