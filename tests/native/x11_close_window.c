/* Asks a window to close the way a window manager's close button does: a
 * WM_DELETE_WINDOW message to the first top-level window with the title.
 * Usage: x11_close_window <title>; exit code 1 when no such window shows. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <string.h>

static Window Find(Display* display, Window parent, const char* title) {
    Window root, up, *children = NULL;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        char* name = NULL;
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            XFetchName(display, children[i], &name) && name != NULL && strcmp(name, title) == 0) {
            found = children[i];
        }
        if (name != NULL) XFree(name);
        if (found == 0) found = Find(display, children[i], title);
    }
    if (children != NULL) XFree(children);
    return found;
}

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) return 2;
    Window window = Find(display, DefaultRootWindow(display), argv[1]);
    if (window == 0) return 1;
    XEvent event;
    memset(&event, 0, sizeof(event));
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return 0;
}
