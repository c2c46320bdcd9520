/* tactilo-wlwatch: a Wayland client that covers every output with a full-screen window and
 * prints what the pointer does there, in the compositor's layout coordinates, one line each:
 *
 *   output NAME X Y W H       an output's logical rectangle (xdg-output), again on a change
 *   ready NAME                its window is mapped: the pointer can be seen there
 *   motion X Y                the pointer's position, in layout pixels (two decimals)
 *   button N press|release X Y   N is 1 for the left button, 3 for the right
 *
 * Surface coordinates are relative to the window, which covers its output exactly, so adding
 * the output's logical position gives the layout position whatever the output's scale.
 * xdg-output is bound at version 2, which sends its own done event (version 3 leaves it to
 * wl_output). Outputs that come and go while it runs are followed. Test use only. */
#define _GNU_SOURCE
#include <errno.h>
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

struct output {
    struct wl_list link;
    uint32_t name;
    struct wl_output *wl;
    struct zxdg_output_v1 *xdg;
    char label[64];
    int x, y, w, h;
    struct wl_surface *surface;
    struct xdg_surface *xsurface;
    struct xdg_toplevel *toplevel;
    struct wl_buffer *buffer;
    int buffer_w, buffer_h;
    int ready;
};

static struct wl_compositor *compositor;
static struct wl_shm *shm;
static struct xdg_wm_base *wm_base;
static struct zxdg_output_manager_v1 *output_manager;
static struct wl_list outputs;
static struct output *pointer_on;
static double pointer_x, pointer_y;

static struct wl_buffer *make_buffer(int w, int h) {
    const int stride = w * 4, size = stride * h;
    int fd = memfd_create("wlwatch", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) < 0) {
        perror("memfd");
        exit(1);
    }
    void *data = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data != MAP_FAILED) {
        memset(data, 0x40, size);
        munmap(data, size);
    }
    struct wl_shm_pool *pool = wl_shm_create_pool(shm, fd, size);
    struct wl_buffer *buffer = wl_shm_pool_create_buffer(pool, 0, w, h, stride,
                                                         WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

static void xsurface_configure(void *data, struct xdg_surface *xsurface, uint32_t serial) {
    struct output *o = data;
    xdg_surface_ack_configure(xsurface, serial);
    const int w = o->w > 0 ? o->w : 64, h = o->h > 0 ? o->h : 64;
    if (!o->buffer || o->buffer_w != w || o->buffer_h != h) {
        if (o->buffer) wl_buffer_destroy(o->buffer);
        o->buffer = make_buffer(w, h);
        o->buffer_w = w;
        o->buffer_h = h;
    }
    wl_surface_attach(o->surface, o->buffer, 0, 0);
    wl_surface_damage(o->surface, 0, 0, w, h);
    wl_surface_commit(o->surface);
    if (!o->ready) {
        o->ready = 1;
        printf("ready %s\n", o->label);
    }
}
static const struct xdg_surface_listener xsurface_listener = {xsurface_configure};

static void toplevel_configure(void *d, struct xdg_toplevel *t, int32_t w, int32_t h,
                               struct wl_array *s) {
    (void)d, (void)t, (void)w, (void)h, (void)s;
}
static void toplevel_close(void *d, struct xdg_toplevel *t) { (void)d, (void)t; }
static const struct xdg_toplevel_listener toplevel_listener = {
    .configure = toplevel_configure, .close = toplevel_close};

static void make_window(struct output *o) {
    o->surface = wl_compositor_create_surface(compositor);
    wl_surface_set_user_data(o->surface, o);
    o->xsurface = xdg_wm_base_get_xdg_surface(wm_base, o->surface);
    xdg_surface_add_listener(o->xsurface, &xsurface_listener, o);
    o->toplevel = xdg_surface_get_toplevel(o->xsurface);
    xdg_toplevel_add_listener(o->toplevel, &toplevel_listener, o);
    xdg_toplevel_set_title(o->toplevel, "tactilo-wlwatch");
    xdg_toplevel_set_fullscreen(o->toplevel, o->wl);
    wl_surface_commit(o->surface);
}

static void xo_position(void *data, struct zxdg_output_v1 *x, int32_t px, int32_t py) {
    struct output *o = data;
    (void)x;
    o->x = px;
    o->y = py;
}
static void xo_size(void *data, struct zxdg_output_v1 *x, int32_t w, int32_t h) {
    struct output *o = data;
    (void)x;
    o->w = w;
    o->h = h;
}
static void xo_done(void *data, struct zxdg_output_v1 *x) {
    struct output *o = data;
    (void)x;
    printf("output %s %d %d %d %d\n", o->label, o->x, o->y, o->w, o->h);
    if (!o->surface) make_window(o);
}
static void xo_name(void *data, struct zxdg_output_v1 *x, const char *name) {
    struct output *o = data;
    (void)x;
    snprintf(o->label, sizeof o->label, "%s", name);
}
static void xo_description(void *d, struct zxdg_output_v1 *x, const char *s) {
    (void)d, (void)x, (void)s;
}
static const struct zxdg_output_v1_listener xo_listener = {xo_position, xo_size, xo_done,
                                                           xo_name, xo_description};

static void print_position(const char *what) {
    printf("%s %.2f %.2f\n", what, pointer_x, pointer_y);
}
static void pointer_at(struct wl_surface *surface, wl_fixed_t sx, wl_fixed_t sy) {
    if (surface) pointer_on = wl_surface_get_user_data(surface);
    if (!pointer_on) return;
    pointer_x = pointer_on->x + wl_fixed_to_double(sx);
    pointer_y = pointer_on->y + wl_fixed_to_double(sy);
    print_position("motion");
}
static void p_enter(void *d, struct wl_pointer *p, uint32_t serial, struct wl_surface *s,
                    wl_fixed_t sx, wl_fixed_t sy) {
    (void)d;
    wl_pointer_set_cursor(p, serial, NULL, 0, 0);
    pointer_at(s, sx, sy);
}
static void p_leave(void *d, struct wl_pointer *p, uint32_t serial, struct wl_surface *s) {
    (void)d, (void)p, (void)serial, (void)s;
}
static void p_motion(void *d, struct wl_pointer *p, uint32_t t, wl_fixed_t sx, wl_fixed_t sy) {
    (void)d, (void)p, (void)t;
    pointer_at(NULL, sx, sy);
}
static void p_button(void *d, struct wl_pointer *p, uint32_t serial, uint32_t t, uint32_t b,
                     uint32_t state) {
    (void)d, (void)p, (void)serial, (void)t;
    printf("button %d %s %.2f %.2f\n", b == BTN_LEFT ? 1 : b == BTN_RIGHT ? 3 : (int)b,
           state == WL_POINTER_BUTTON_STATE_PRESSED ? "press" : "release", pointer_x,
           pointer_y);
}
static void p_axis(void *d, struct wl_pointer *p, uint32_t t, uint32_t a, wl_fixed_t v) {
    (void)d, (void)p, (void)t, (void)a, (void)v;
}
static void p_frame(void *d, struct wl_pointer *p) {
    (void)d, (void)p;
    fflush(stdout);
}
static void p_axis_source(void *d, struct wl_pointer *p, uint32_t s) { (void)d, (void)p, (void)s; }
static void p_axis_stop(void *d, struct wl_pointer *p, uint32_t t, uint32_t a) {
    (void)d, (void)p, (void)t, (void)a;
}
static void p_axis_discrete(void *d, struct wl_pointer *p, uint32_t a, int32_t v) {
    (void)d, (void)p, (void)a, (void)v;
}
static const struct wl_pointer_listener pointer_listener = {
    .enter = p_enter,
    .leave = p_leave,
    .motion = p_motion,
    .button = p_button,
    .axis = p_axis,
    .frame = p_frame,
    .axis_source = p_axis_source,
    .axis_stop = p_axis_stop,
    .axis_discrete = p_axis_discrete};

static void seat_caps(void *d, struct wl_seat *seat, uint32_t caps) {
    static struct wl_pointer *pointer;
    (void)d;
    if ((caps & WL_SEAT_CAPABILITY_POINTER) && !pointer) {
        pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(pointer, &pointer_listener, NULL);
    }
}
static void seat_name(void *d, struct wl_seat *s, const char *n) { (void)d, (void)s, (void)n; }
static const struct wl_seat_listener seat_listener = {seat_caps, seat_name};

static void wm_ping(void *d, struct xdg_wm_base *wm, uint32_t serial) {
    (void)d;
    xdg_wm_base_pong(wm, serial);
}
static const struct xdg_wm_base_listener wm_listener = {wm_ping};

static void add_output(uint32_t name, struct wl_output *wl) {
    struct output *o = calloc(1, sizeof *o);
    o->name = name;
    o->wl = wl;
    snprintf(o->label, sizeof o->label, "output-%u", name);
    wl_list_insert(&outputs, &o->link);
    o->xdg = zxdg_output_manager_v1_get_xdg_output(output_manager, wl);
    zxdg_output_v1_add_listener(o->xdg, &xo_listener, o);
}

static void global(void *d, struct wl_registry *r, uint32_t name, const char *iface,
                   uint32_t version) {
    (void)d;
    if (!strcmp(iface, wl_compositor_interface.name)) {
        compositor = wl_registry_bind(r, name, &wl_compositor_interface, 4);
    } else if (!strcmp(iface, wl_shm_interface.name)) {
        shm = wl_registry_bind(r, name, &wl_shm_interface, 1);
    } else if (!strcmp(iface, xdg_wm_base_interface.name)) {
        wm_base = wl_registry_bind(r, name, &xdg_wm_base_interface, 1);
        xdg_wm_base_add_listener(wm_base, &wm_listener, NULL);
    } else if (!strcmp(iface, zxdg_output_manager_v1_interface.name)) {
        output_manager = wl_registry_bind(r, name, &zxdg_output_manager_v1_interface,
                                          version < 2 ? version : 2);
    } else if (!strcmp(iface, wl_seat_interface.name)) {
        struct wl_seat *seat = wl_registry_bind(r, name, &wl_seat_interface, 5);
        wl_seat_add_listener(seat, &seat_listener, NULL);
    } else if (!strcmp(iface, wl_output_interface.name)) {
        struct wl_output *wl = wl_registry_bind(r, name, &wl_output_interface, 2);
        if (output_manager) add_output(name, wl);
        else {
            /* Bound before the manager: picked up once the registry's first round is done. */
            struct output *o = calloc(1, sizeof *o);
            o->name = name;
            o->wl = wl;
            wl_list_insert(&outputs, &o->link);
        }
    }
}
static void global_remove(void *d, struct wl_registry *r, uint32_t name) {
    struct output *o, *tmp;
    (void)d, (void)r;
    wl_list_for_each_safe(o, tmp, &outputs, link) {
        if (o->name == name) {
            printf("gone %s\n", o->label);
            if (pointer_on == o) pointer_on = NULL;
            if (o->toplevel) xdg_toplevel_destroy(o->toplevel);
            if (o->xsurface) xdg_surface_destroy(o->xsurface);
            if (o->surface) wl_surface_destroy(o->surface);
            if (o->xdg) zxdg_output_v1_destroy(o->xdg);
            wl_list_remove(&o->link);
            free(o);
        }
    }
}
static const struct wl_registry_listener registry_listener = {global, global_remove};

int main(void) {
    setvbuf(stdout, NULL, _IOLBF, 0);
    wl_list_init(&outputs);
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "tactilo-wlwatch: no Wayland display: %s\n", strerror(errno));
        return 1;
    }
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!compositor || !shm || !wm_base || !output_manager) {
        fprintf(stderr, "tactilo-wlwatch: the compositor lacks xdg-shell or xdg-output\n");
        return 1;
    }
    struct output *o;
    wl_list_for_each(o, &outputs, link) {
        if (!o->xdg) {
            snprintf(o->label, sizeof o->label, "output-%u", o->name);
            o->xdg = zxdg_output_manager_v1_get_xdg_output(output_manager, o->wl);
            zxdg_output_v1_add_listener(o->xdg, &xo_listener, o);
        }
    }
    while (wl_display_dispatch(display) != -1) {
    }
    return 0;
}
