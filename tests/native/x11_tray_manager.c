/* The native tests' stand-in for an older panel's system tray: it owns the
 * _NET_SYSTEM_TRAY_S<screen> selection with a panel window of its own (a
 * plain blue strip), announces itself to the root window, and docks every
 * window that asks (SYSTEM_TRAY_REQUEST_DOCK): reparented into the panel,
 * 22x22 pixels, mapped, in the save set so it survives the tray's end.
 * Logs one line per event:
 *   ready <panel window>
 *   dock <window> <root x> <root y> <width> <height>
 *   gone <window>
 * Usage: x11_tray_manager <log file> [left top width height] */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define ICON_SIZE 22

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: x11_tray_manager <log> [left top width height]\n");
        return 2;
    }
    int left = argc > 5 ? atoi(argv[2]) : 1000, top = argc > 5 ? atoi(argv[3]) : 0;
    int width = argc > 5 ? atoi(argv[4]) : 200, height = argc > 5 ? atoi(argv[5]) : 30;
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) return 1;
    FILE* log = fopen(argv[1], "a");
    if (log == NULL) return 1;
    setvbuf(log, NULL, _IOLBF, 0);
    int screen = DefaultScreen(display);
    Window root = RootWindow(display, screen);
    XSetWindowAttributes attributes;
    memset(&attributes, 0, sizeof(attributes));
    attributes.background_pixel = 0x336699;
    attributes.override_redirect = True;
    attributes.event_mask = SubstructureNotifyMask;
    Window panel = XCreateWindow(display, root, left, top, (unsigned)width, (unsigned)height, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask,
                                 &attributes);
    XStoreName(display, panel, "ZintraTestTray");
    XMapRaised(display, panel);

    char selectionName[64];
    snprintf(selectionName, sizeof(selectionName), "_NET_SYSTEM_TRAY_S%d", screen);
    Atom selection = XInternAtom(display, selectionName, False);
    Atom opcode = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
    Atom manager = XInternAtom(display, "MANAGER", False);
    /* ZINTRA_TRAY_ARGB=1: a composited panel that asks for 32-bit icons. */
    const char* argb = getenv("ZINTRA_TRAY_ARGB");
    XVisualInfo wanted;
    memset(&wanted, 0, sizeof(wanted));
    if (argb != NULL && strcmp(argb, "1") == 0 && XMatchVisualInfo(display, screen, 32, TrueColor, &wanted)) {
        long visual = (long)XVisualIDFromVisual(wanted.visual);
        XChangeProperty(display, panel, XInternAtom(display, "_NET_SYSTEM_TRAY_VISUAL", False), XA_VISUALID, 32,
                        PropModeReplace, (const unsigned char*)&visual, 1);
    }
    XSetSelectionOwner(display, selection, panel, CurrentTime);
    if (XGetSelectionOwner(display, selection) != panel) return 1;
    XEvent announce;
    memset(&announce, 0, sizeof(announce));
    announce.xclient.type = ClientMessage;
    announce.xclient.window = root;
    announce.xclient.message_type = manager;
    announce.xclient.format = 32;
    announce.xclient.data.l[0] = CurrentTime;
    announce.xclient.data.l[1] = (long)selection;
    announce.xclient.data.l[2] = (long)panel;
    XSendEvent(display, root, False, StructureNotifyMask, &announce);
    XSync(display, False);
    fprintf(log, "ready %lu\n", panel);

    int docked = 0;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == opcode && event.xclient.data.l[1] == 0) {
            Window icon = (Window)event.xclient.data.l[2];
            int x = 4 + docked * (ICON_SIZE + 4), y = (height - ICON_SIZE) / 2;
            ++docked;
            XAddToSaveSet(display, icon);
            XReparentWindow(display, icon, panel, x, y);
            XResizeWindow(display, icon, ICON_SIZE, ICON_SIZE);
            XMapRaised(display, icon);
            XSync(display, False);
            fprintf(log, "dock %lu %d %d %d %d\n", icon, left + x, top + y, ICON_SIZE, ICON_SIZE);
        } else if (event.type == DestroyNotify && event.xdestroywindow.event == panel) {
            fprintf(log, "gone %lu\n", event.xdestroywindow.window);
        }
    }
}
