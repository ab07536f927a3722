#include "tests/ui/XcbPing.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace nembra::testing {

namespace {

struct Disconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

xcb_atom_t Atom(xcb_connection_t* connection, const std::string& name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr) return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

bool IsPingAnswer(const xcb_generic_event_t* event, xcb_atom_t protocols, xcb_atom_t ping, uint32_t window) {
    if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
    return message->type == protocols && message->data.data32[0] == ping && message->data.data32[2] == window;
}

}  // namespace

std::optional<std::chrono::milliseconds> PingOverX(uint32_t window, std::chrono::milliseconds limit) {
    const Connection connection(xcb_connect(nullptr, nullptr));
    xcb_connection_t* c = connection.get();
    if (xcb_connection_has_error(c) != 0) return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // The answer is sent to the root window for whoever watches it or its
    // children (Qt names the root's structure); watching, not redirecting,
    // leaves any window manager alone.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t protocols = Atom(c, "WM_PROTOCOLS");
    const xcb_atom_t ping = Atom(c, "_NET_WM_PING");

    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = protocols;
    message.data.data32[0] = ping;
    message.data.data32[1] = 1;  // the server time of the request; any will do
    message.data.data32[2] = window;
    const auto sent = std::chrono::steady_clock::now();
    xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(c);

    while (std::chrono::steady_clock::now() - sent < limit) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const bool answer = IsPingAnswer(event, protocols, ping, window);
            std::free(event);
            if (answer)
                return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
        }
        if (xcb_connection_has_error(c) != 0) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::nullopt;
}

}  // namespace nembra::testing
