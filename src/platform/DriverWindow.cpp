#include "platform/DriverWindow.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace platform {

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QByteArray property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type) {
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 1024), nullptr),
        &std::free);
    if (!reply || reply->type == XCB_ATOM_NONE)
        return QByteArray();
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

struct Atoms {
    xcb_atom_t netWmName, utf8String;
};

bool titled(xcb_connection_t* c, xcb_window_t w, const Atoms& a, const QByteArray& title) {
    return property(c, w, a.netWmName, a.utf8String) == title ||
           property(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING) == title;
}

// Depth-first over the window tree: under a window manager the program's
// window sits inside a frame the manager made.
xcb_window_t search(xcb_connection_t* c, xcb_window_t w, const Atoms& a, const QByteArray& title,
                    int depth) {
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr),
                                       &std::free);
    if (!tree)
        return 0;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int n = xcb_query_tree_children_length(tree.get());
    for (int i = 0; i < n; ++i)
        if (titled(c, children[i], a, title))
            return children[i];
    if (depth >= 3)
        return 0;
    for (int i = 0; i < n; ++i)
        if (xcb_window_t found = search(c, children[i], a, title, depth + 1))
            return found;
    return 0;
}

} // namespace

DriverWindow DriverWindow::find(const QString& title) {
    DriverWindow result;
    xcb_connection_t* c = connection();
    if (!c)
        return result;
    const Atoms atoms{atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING")};
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return result;
    result.window = search(c, screen->root, atoms, title.toUtf8(), 0);
    return result;
}

bool DriverWindow::requestClose() const {
    xcb_connection_t* c = connection();
    if (!c || !window)
        return false;
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(c, "WM_PROTOCOLS");
    event.data.data32[0] = atom(c, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    // A round trip: the request has reached the server when this returns.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return true;
}

} // namespace platform
