/* Another program holding the pointer and the keyboard: grabs both on the root
 * window, writes "grabbed" to the file once it holds them and keeps them until
 * it is ended. Usage: x11_hold_grab <file>; exit code 1 when the grab fails. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) return 2;
    Window root = DefaultRootWindow(display);
    if (XGrabPointer(display, root, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None, None, CurrentTime) !=
            GrabSuccess ||
        XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime) != GrabSuccess) {
        return 1;
    }
    XSync(display, False);
    FILE* file = fopen(argv[1], "w");
    if (file == NULL) return 2;
    fputs("grabbed\n", file);
    fclose(file);
    for (;;) pause();
}
