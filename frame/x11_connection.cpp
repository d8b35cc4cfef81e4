#include "x11_connection.h"

#include <QByteArray>
#include <algorithm>
#include <string_view>

namespace countdown::frame::x11 {

Connection* Connection::Get() {
  xcb_connection_t* const x = ToolkitConnection();
  if (x == nullptr) return nullptr;
  static Connection connection(x);
  return &connection;
}

// Asked as soon as the connection is first used and answered together when first needed: by
// then the answers are in, and nobody waits for them.
Connection::Questions Connection::Ask(xcb_connection_t* x) {
  const auto intern = [x](std::string_view name) {
    return xcb_intern_atom(x, 0, static_cast<std::uint16_t>(name.size()), name.data());
  };
  constexpr std::string_view kInput = "XInputExtension";
  Questions asked{intern("_NET_WM_MOVERESIZE"),
                  intern("_NET_SUPPORTED"),
                  intern("_NET_SUPPORTING_WM_CHECK"),
                  intern("WM_STATE"),
                  intern("_NET_FRAME_EXTENTS"),
                  xcb_query_extension(x, static_cast<std::uint16_t>(kInput.size()), kInput.data())};
  xcb_flush(x);
  return asked;
}

Connection::Connection(xcb_connection_t* connection)
    : x(connection),
      root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root),
      asked_(Ask(connection)) {
  qGuiApp->installNativeEventFilter(this);
}

const Connection::Answers& Connection::Names() {
  if (!answers_) {
    const auto atom = [this](xcb_intern_atom_cookie_t cookie) {
      const Owned<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(x, cookie, nullptr),
                                                 &std::free);
      return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    };
    Answers names{atom(asked_.moveResize), atom(asked_.supported),    atom(asked_.check),
                  atom(asked_.wmState),    atom(asked_.frameExtents), 0};
    const Owned<xcb_query_extension_reply_t> extension(
        xcb_query_extension_reply(x, asked_.input, nullptr), &std::free);
    if (extension && extension->present) names.input = extension->major_opcode;
    answers_ = names;
  }
  return *answers_;
}

bool Connection::OffersMoveResize() {
  if (!offersMoveResize_) {
    const Owned<xcb_get_property_reply_t> supported(
        xcb_get_property_reply(
            x, xcb_get_property(x, 0, root, Names().supported, XCB_ATOM_ATOM, 0, 1024), nullptr),
        &std::free);
    bool offered = false;
    if (supported && supported->format == 32) {
      const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
      const auto count = static_cast<std::size_t>(xcb_get_property_value_length(supported.get())) /
                         sizeof(xcb_atom_t);
      offered = std::find(atoms, atoms + count, Names().moveResize) != atoms + count;
    }
    offersMoveResize_ = offered;
  }
  return *offersMoveResize_;
}

// The toolkit listens to the root window's properties; a new window manager announces itself in
// _NET_SUPPORTING_WM_CHECK and what it offers in _NET_SUPPORTED.
bool Connection::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
  if (type != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) == XCB_BUTTON_PRESS) {
    const auto* press = static_cast<const xcb_button_press_event_t*>(message);
    lastPress = QPoint(press->root_x, press->root_y);
    return false;
  }
  if ((event->response_type & 0x7f) == XCB_GE_GENERIC) {
    // An XInput 2 device event, as the toolkit selects them: root coordinates in 16.16 fixed
    // point, after the 32 bytes of every event and the sequence number xcb adds.
    struct DeviceEvent {
      std::uint8_t response_type, extension;
      std::uint16_t sequence;
      std::uint32_t length;
      std::uint16_t event_type, deviceid;
      std::uint32_t time, detail, root, event, child, full_sequence;
      std::int32_t root_x, root_y;
    };
    constexpr std::uint16_t kButtonPress = 4;
    const auto* device = static_cast<const DeviceEvent*>(message);
    if (device->extension == Names().input && device->event_type == kButtonPress) {
      lastPress = QPoint(device->root_x / 65536, device->root_y / 65536);
    }
    return false;
  }
  switch (event->response_type & 0x7f) {
    case XCB_MAP_NOTIFY:
      Stirred(static_cast<const xcb_map_notify_event_t*>(message)->window);
      return false;
    case XCB_UNMAP_NOTIFY:
      Stirred(static_cast<const xcb_unmap_notify_event_t*>(message)->window);
      return false;
    case XCB_REPARENT_NOTIFY:
      Stirred(static_cast<const xcb_reparent_notify_event_t*>(message)->window);
      return false;
    case XCB_CONFIGURE_NOTIFY: {
      const auto* configure = static_cast<const xcb_configure_notify_event_t*>(message);
      if (const auto known = sizes.find(configure->window); known != sizes.end()) {
        known->second = QSize(configure->width, configure->height);
      }
      Stirred(configure->window);
      return false;
    }
    default:
      break;
  }
  if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
  const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
  if (change->window == root &&
      (change->atom == Names().supported || change->atom == Names().check)) {
    offersMoveResize_.reset();
  }
  return false;
}

// A window manager changes a window's state (minimized, maximized, full screen) and frame as it
// maps, unmaps, reparents, moves or resizes it, though not always before. So from each of these
// on, the toolkit hears the window's property changes again; and it is told that the state and
// the frame changed, so that it reads what was changed while it was not listening.
void Connection::Stirred(xcb_window_t window) {
  const auto found = quieted.find(window);
  if (found == quieted.end()) return;
  Quieted& entry = found->second;
  entry.stirred = std::chrono::steady_clock::now();
  if (!entry.quiet) return;
  entry.quiet = false;
  xcb_change_window_attributes(x, window, XCB_CW_EVENT_MASK, &entry.listening);
  for (const xcb_atom_t atom : {Names().wmState, Names().frameExtents}) {
    xcb_property_notify_event_t notify{};
    notify.response_type = XCB_PROPERTY_NOTIFY;
    notify.window = window;
    notify.atom = atom;
    notify.time = XCB_CURRENT_TIME;
    notify.state = XCB_PROPERTY_NEW_VALUE;
    Send(window, XCB_EVENT_MASK_NO_EVENT, notify);  // to the toolkit alone
  }
  xcb_flush(x);
}

}  // namespace countdown::frame::x11
