/* A Wayland-native click target for the end-to-end tests: one xdg-shell
 * window with a plain shm buffer that counts the wl_pointer buttons it gets.
 * XTest cannot reach it, so it tells which clicks went through a Wayland path.
 * Usage: wl_click_counter <counts file> [title [width height [events log]]]
 * After every pointer frame that held a button it rewrites <counts file>
 * (through a rename, so a reader never sees half a file) as lines
 *   LD <n> / LU <n> / RD <n> / RU <n> / MD <n> / MU <n> / AT <x> <y>
 * (AT: the surface position of the last button). "<counts file>.ready" is
 * written once the window shows its first buffer. With an events log, every
 * button event is also appended there as it arrives, like the X11 target's:
 *   <milliseconds, CLOCK_MONOTONIC> <LD|LU|RD|RU|MD|MU> <x> <y>
 * so the benchmarks can time clicks the same way on both sides. */
#define _GNU_SOURCE
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include "xdg-shell-client-protocol.h"

struct counter {
    struct wl_compositor* compositor;
    struct wl_shm* shm;
    struct wl_seat* seat;
    struct xdg_wm_base* wm_base;
    struct wl_pointer* pointer;
    struct wl_surface* surface;
    struct xdg_surface* xdg_surface;
    struct xdg_toplevel* toplevel;
    struct wl_buffer* buffer;
    const char* path;
    FILE* events;
    int width, height;
    int shown;
    int closed;
    int dirty;
    /* [button][0 = pressed, 1 = released]: left, right, middle. */
    unsigned long counts[3][2];
    double x, y, button_x, button_y;
};

static void write_file(const char* path, const char* text) {
    char temporary[4096];
    snprintf(temporary, sizeof(temporary), "%s.tmp", path);
    FILE* file = fopen(temporary, "w");
    if (file == NULL) return;
    fputs(text, file);
    fclose(file);
    rename(temporary, path);
}

static void write_counts(struct counter* c) {
    char text[512];
    snprintf(text, sizeof(text), "LD %lu\nLU %lu\nRD %lu\nRU %lu\nMD %lu\nMU %lu\nAT %d %d\n", c->counts[0][0],
             c->counts[0][1], c->counts[1][0], c->counts[1][1], c->counts[2][0], c->counts[2][1], (int)c->button_x,
             (int)c->button_y);
    write_file(c->path, text);
    c->dirty = 0;
}

static struct wl_buffer* make_buffer(struct counter* c) {
    int stride = c->width * 4, size = stride * c->height;
    int fd = memfd_create("wl_click_counter", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) != 0) return NULL;
    unsigned int* pixels = mmap(NULL, (size_t)size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) return NULL;
    /* A light green field, so a screenshot tells it from the X11 target's grey. */
    for (int i = 0; i < c->width * c->height; ++i) pixels[i] = 0xFF90D090;
    munmap(pixels, (size_t)size);
    struct wl_shm_pool* pool = wl_shm_create_pool(c->shm, fd, size);
    struct wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, c->width, c->height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

/* Pointer: every event has a handler, since a seat bound at version 5 sends
 * frames and axis events and libwayland aborts on a missing one. */
static void pointer_enter(void* data, struct wl_pointer* p, uint32_t serial, struct wl_surface* s, wl_fixed_t x,
                          wl_fixed_t y) {
    struct counter* c = data;
    c->x = wl_fixed_to_double(x);
    c->y = wl_fixed_to_double(y);
}
static void pointer_leave(void* data, struct wl_pointer* p, uint32_t serial, struct wl_surface* s) {}
static void pointer_motion(void* data, struct wl_pointer* p, uint32_t time, wl_fixed_t x, wl_fixed_t y) {
    struct counter* c = data;
    c->x = wl_fixed_to_double(x);
    c->y = wl_fixed_to_double(y);
}
static void pointer_button(void* data, struct wl_pointer* p, uint32_t serial, uint32_t time, uint32_t button,
                           uint32_t state) {
    struct counter* c = data;
    int index = button == BTN_LEFT ? 0 : button == BTN_RIGHT ? 1 : button == BTN_MIDDLE ? 2 : -1;
    if (index < 0) return;
    int pressed = state == WL_POINTER_BUTTON_STATE_PRESSED;
    c->counts[index][pressed ? 0 : 1]++;
    c->button_x = c->x;
    c->button_y = c->y;
    if (c->events != NULL) {
        /* The time it reached this client, as the X11 target takes it. */
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        fprintf(c->events, "%.3f %c%c %d %d\n", now.tv_sec * 1000.0 + now.tv_nsec / 1e6, "LRM"[index],
                pressed ? 'D' : 'U', (int)c->x, (int)c->y);
        fflush(c->events);
    }
    c->dirty = 1;
    /* A version-4 seat sends no frame: write at once. */
    if (wl_pointer_get_version(p) < WL_POINTER_FRAME_SINCE_VERSION) write_counts(c);
}
static void pointer_axis(void* data, struct wl_pointer* p, uint32_t time, uint32_t axis, wl_fixed_t value) {}
static void pointer_frame(void* data, struct wl_pointer* p) {
    struct counter* c = data;
    if (c->dirty) write_counts(c);
}
static void pointer_axis_source(void* data, struct wl_pointer* p, uint32_t source) {}
static void pointer_axis_stop(void* data, struct wl_pointer* p, uint32_t time, uint32_t axis) {}
static void pointer_axis_discrete(void* data, struct wl_pointer* p, uint32_t axis, int32_t discrete) {}
static const struct wl_pointer_listener pointer_listener = {
    pointer_enter, pointer_leave,       pointer_motion,    pointer_button,
    pointer_axis,  pointer_frame,       pointer_axis_source, pointer_axis_stop,
    pointer_axis_discrete,
};

/* The headless seat has a pointer only while some pointer device exists: take
 * a new wl_pointer each time the capability comes back. */
static void seat_capabilities(void* data, struct wl_seat* seat, uint32_t capabilities) {
    struct counter* c = data;
    int has = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (has && c->pointer == NULL) {
        c->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(c->pointer, &pointer_listener, c);
    } else if (!has && c->pointer != NULL) {
        if (wl_pointer_get_version(c->pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
            wl_pointer_release(c->pointer);
        else
            wl_pointer_destroy(c->pointer);
        c->pointer = NULL;
    }
}
static void seat_name(void* data, struct wl_seat* seat, const char* name) {}
static const struct wl_seat_listener seat_listener = {seat_capabilities, seat_name};

static void wm_base_ping(void* data, struct xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
static const struct xdg_wm_base_listener wm_base_listener = {wm_base_ping};

static void xdg_surface_configure(void* data, struct xdg_surface* surface, uint32_t serial) {
    struct counter* c = data;
    xdg_surface_ack_configure(surface, serial);
    if (c->buffer == NULL) c->buffer = make_buffer(c);
    if (c->buffer == NULL) {
        c->closed = 1;
        return;
    }
    wl_surface_attach(c->surface, c->buffer, 0, 0);
    wl_surface_damage(c->surface, 0, 0, c->width, c->height);
    wl_surface_commit(c->surface);
    if (!c->shown) {
        c->shown = 1;
        char ready[4096];
        snprintf(ready, sizeof(ready), "%s.ready", c->path);
        write_file(ready, "shown\n");
    }
}
static const struct xdg_surface_listener xdg_surface_listener = {xdg_surface_configure};

static void toplevel_configure(void* data, struct xdg_toplevel* t, int32_t w, int32_t h, struct wl_array* states) {}
static void toplevel_close(void* data, struct xdg_toplevel* t) { ((struct counter*)data)->closed = 1; }
static const struct xdg_toplevel_listener toplevel_listener = {toplevel_configure, toplevel_close};

static void registry_global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                            uint32_t version) {
    struct counter* c = data;
    if (strcmp(interface, wl_compositor_interface.name) == 0) {
        c->compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 4);
    } else if (strcmp(interface, wl_shm_interface.name) == 0) {
        c->shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
    } else if (strcmp(interface, wl_seat_interface.name) == 0 && c->seat == NULL) {
        c->seat = wl_registry_bind(registry, name, &wl_seat_interface, version < 5 ? version : 5);
        wl_seat_add_listener(c->seat, &seat_listener, c);
    } else if (strcmp(interface, xdg_wm_base_interface.name) == 0) {
        c->wm_base = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
        xdg_wm_base_add_listener(c->wm_base, &wm_base_listener, c);
    }
}
static void registry_remove(void* data, struct wl_registry* registry, uint32_t name) {}
static const struct wl_registry_listener registry_listener = {registry_global, registry_remove};

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: wl_click_counter <counts file> [title [width height [events log]]]\n");
        return 2;
    }
    struct counter c;
    memset(&c, 0, sizeof(c));
    c.path = argv[1];
    const char* title = argc > 2 ? argv[2] : "ZintraWaylandCounter";
    c.width = argc > 4 ? atoi(argv[3]) : 400;
    c.height = argc > 4 ? atoi(argv[4]) : 300;
    if (argc > 5 && (c.events = fopen(argv[5], "w")) == NULL) {
        fprintf(stderr, "wl_click_counter: cannot write %s\n", argv[5]);
        return 1;
    }
    struct wl_display* display = wl_display_connect(NULL);
    if (display == NULL) {
        fprintf(stderr, "wl_click_counter: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &c);
    wl_display_roundtrip(display);
    if (c.compositor == NULL || c.shm == NULL || c.wm_base == NULL) {
        fprintf(stderr, "wl_click_counter: the compositor lacks wl_compositor, wl_shm or xdg_wm_base\n");
        return 1;
    }
    write_counts(&c);
    c.surface = wl_compositor_create_surface(c.compositor);
    c.xdg_surface = xdg_wm_base_get_xdg_surface(c.wm_base, c.surface);
    xdg_surface_add_listener(c.xdg_surface, &xdg_surface_listener, &c);
    c.toplevel = xdg_surface_get_toplevel(c.xdg_surface);
    xdg_toplevel_add_listener(c.toplevel, &toplevel_listener, &c);
    xdg_toplevel_set_title(c.toplevel, title);
    xdg_toplevel_set_app_id(c.toplevel, title);
    wl_surface_commit(c.surface);
    while (!c.closed && wl_display_dispatch(display) != -1) {
    }
    wl_display_disconnect(display);
    return 0;
}
