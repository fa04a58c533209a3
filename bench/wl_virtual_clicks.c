/* The Wayland benchmark's peer: left clicks through a wlroots virtual pointer
 * in the plainest loop there is (press, frame, release, frame, flush, then
 * sleep to the next tick on CLOCK_MONOTONIC), so the figures beside zintra's
 * show what the compositor's path itself costs.
 * Usage: wl_virtual_clicks <count> <interval ms> [x y]
 * With x y the pointer is first moved there by absolute motion over the
 * output (0 0 is its top-left corner; one output, as in the headless bench).
 * The device stays a moment after the last click: one removed right after
 * its last button loses that click. */
#define _GNU_SOURCE
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

struct peer {
    struct wl_seat* seat;
    struct zwlr_virtual_pointer_manager_v1* manager;
    struct wl_output* output;
    int width, height;
};

static void output_geometry(void* data, struct wl_output* o, int32_t x, int32_t y, int32_t pw, int32_t ph,
                            int32_t subpixel, const char* make, const char* model, int32_t transform) {}
static void output_mode(void* data, struct wl_output* o, uint32_t flags, int32_t width, int32_t height,
                        int32_t refresh) {
    struct peer* p = data;
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        p->width = width;
        p->height = height;
    }
}
static void output_done(void* data, struct wl_output* o) {}
static void output_scale(void* data, struct wl_output* o, int32_t factor) {}
static const struct wl_output_listener output_listener = {output_geometry, output_mode, output_done, output_scale};

static void registry_global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                            uint32_t version) {
    struct peer* p = data;
    if (strcmp(interface, wl_seat_interface.name) == 0 && p->seat == NULL) {
        p->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        p->manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    } else if (strcmp(interface, wl_output_interface.name) == 0 && p->output == NULL) {
        p->output = wl_registry_bind(registry, name, &wl_output_interface, 2);
        wl_output_add_listener(p->output, &output_listener, p);
    }
}
static void registry_remove(void* data, struct wl_registry* registry, uint32_t name) {}
static const struct wl_registry_listener registry_listener = {registry_global, registry_remove};

static uint32_t milliseconds(const struct timespec* t) { return (uint32_t)(t->tv_sec * 1000 + t->tv_nsec / 1000000); }

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        fprintf(stderr, "usage: wl_virtual_clicks <count> <interval ms> [x y]\n");
        return 2;
    }
    long count = atol(argv[1]), interval = atol(argv[2]);
    struct peer p;
    memset(&p, 0, sizeof(p));
    struct wl_display* display = wl_display_connect(NULL);
    if (display == NULL) {
        fprintf(stderr, "wl_virtual_clicks: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &p);
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    if (p.manager == NULL) {
        fprintf(stderr, "wl_virtual_clicks: the compositor offers no virtual pointer\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(p.manager, p.seat);
    struct timespec tick;
    clock_gettime(CLOCK_MONOTONIC, &tick);
    if (argc == 5 && p.width > 0 && p.height > 0) {
        zwlr_virtual_pointer_v1_motion_absolute(pointer, milliseconds(&tick), (uint32_t)atoi(argv[3]),
                                                (uint32_t)atoi(argv[4]), (uint32_t)p.width, (uint32_t)p.height);
        zwlr_virtual_pointer_v1_frame(pointer);
    }
    wl_display_roundtrip(display);
    /* The window under the pointer takes a new wl_pointer once the seat has a
     * pointer device again; a click before that would reach nobody. */
    usleep(300 * 1000);
    clock_gettime(CLOCK_MONOTONIC, &tick);
    for (long i = 0; i < count; ++i) {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        zwlr_virtual_pointer_v1_button(pointer, milliseconds(&now), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(pointer);
        zwlr_virtual_pointer_v1_button(pointer, milliseconds(&now), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_flush(display) < 0) {
            fprintf(stderr, "wl_virtual_clicks: the compositor closed the connection\n");
            return 1;
        }
        tick.tv_nsec += interval * 1000000L;
        while (tick.tv_nsec >= 1000000000L) {
            tick.tv_nsec -= 1000000000L;
            tick.tv_sec++;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &tick, NULL);
    }
    wl_display_roundtrip(display);
    usleep(300 * 1000);
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
