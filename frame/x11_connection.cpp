#include "x11_connection.h"

#include <QByteArray>
#include <algorithm>
#include <array>
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
                  intern("_NET_WM_STATE"),
                  intern("_NET_WM_STATE_ABOVE"),
                  {intern("_NET_WM_STATE_FULLSCREEN"), intern("_NET_WM_STATE_MAXIMIZED_VERT"),
                   intern("_NET_WM_STATE_MAXIMIZED_HORZ")},
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
    Answers names{atom(asked_.moveResize),
                  atom(asked_.supported),
                  atom(asked_.check),
                  atom(asked_.wmState),
                  atom(asked_.frameExtents),
                  atom(asked_.netWmState),
                  atom(asked_.above),
                  {},
                  0};
    std::ranges::transform(asked_.sized, names.sized.begin(), atom);
    const Owned<xcb_query_extension_reply_t> extension(
        xcb_query_extension_reply(x, asked_.input, nullptr), &std::free);
    if (extension && extension->present) names.input = extension->major_opcode;
    answers_ = names;
  }
  return *answers_;
}

bool Connection::Offers(xcb_atom_t atom) {
  if (!supported_) {
    const Owned<xcb_get_property_reply_t> supported(
        xcb_get_property_reply(
            x, xcb_get_property(x, 0, root, Names().supported, XCB_ATOM_ATOM, 0, 1024), nullptr),
        &std::free);
    supported_.emplace();
    if (supported && supported->format == 32) {
      const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
      const auto count = static_cast<std::size_t>(xcb_get_property_value_length(supported.get())) /
                         sizeof(xcb_atom_t);
      supported_->assign(atoms, atoms + count);
    }
  }
  return std::find(supported_->begin(), supported_->end(), atom) != supported_->end();
}

// The toolkit listens to the root window's properties; a new window manager announces itself in
// _NET_SUPPORTING_WM_CHECK and what it offers in _NET_SUPPORTED.
bool Connection::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
  if (type != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) == XCB_BUTTON_PRESS) {
    const auto* press = static_cast<const xcb_button_press_event_t*>(message);
    lastPress = lastPointer = QPoint(press->root_x, press->root_y);
    return false;
  }
  if ((event->response_type & 0x7f) == XCB_MOTION_NOTIFY) {
    const auto* motion = static_cast<const xcb_motion_notify_event_t*>(message);
    lastPointer = QPoint(motion->root_x, motion->root_y);
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
    constexpr std::uint16_t kButtonPress = 4, kMotion = 6;
    const auto* device = static_cast<const DeviceEvent*>(message);
    if (device->extension != Names().input) return false;
    if (device->event_type == kButtonPress || device->event_type == kMotion) {
      lastPointer = QPoint(device->root_x / 65536, device->root_y / 65536);
      if (device->event_type == kButtonPress) lastPress = lastPointer;
    }
    return false;
  }
  switch (event->response_type & 0x7f) {
    case XCB_FOCUS_IN:
    case XCB_FOCUS_OUT:
      KeyboardFocusMoved(*static_cast<const xcb_focus_in_event_t*>(message),
                         (event->response_type & 0x7f) == XCB_FOCUS_IN, event->full_sequence);
      return false;
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
      auto* configure = static_cast<xcb_configure_notify_event_t*>(message);
      if ((event->response_type & 0x80) && configure->above_sibling == kAnnounced) {
        FillIn(*configure);
        return false;
      }
      if (const auto known = kept.find(configure->window); known != kept.end()) {
        const QSize size(configure->width, configure->height);
        // Told once the toolkit has taken the event in: it may be of a size the toolkit's own
        // logical pixels do not tell from the last.
        if (known->second.size != size && known->second.context) {
          QMetaObject::invokeMethod(known->second.context, known->second.resized,
                                    Qt::QueuedConnection);
        }
        known->second.size = size;
      }
      Stirred(configure->window);
      return false;
    }
    default:
      break;
  }
  if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
  const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
  // The toolkit writes its own size hints as it maps the window, and whenever the ratio of device
  // pixels changes: the window's limits are put back at once.
  if (change->atom == XCB_ATOM_WM_NORMAL_HINTS && kept.contains(change->window)) {
    WriteSizeHints(change->window);
    return false;
  }
  if (change->window == root &&
      (change->atom == Names().supported || change->atom == Names().check)) {
    supported_.reset();
  }
  return false;
}

// A window manager that carries out a keyboard move takes the keyboard for it, and gives it back
// when the move ends: the window hears it lose the focus to a grab, then get it back from one.
// Grabs of the keyboard from before the request (the window's own menu, which asked for the move)
// are not the window manager's.
void Connection::KeyboardFocusMoved(const xcb_focus_in_event_t& focus, bool in,
                                    std::uint32_t sequence) {
  const auto found = kept.find(focus.event);
  if (found == kept.end() || !found->second.keyboardMoveSince) return;
  Kept& window = found->second;
  if (static_cast<std::int32_t>(sequence - *window.keyboardMoveSince) < 0) return;
  if (!in && focus.mode == XCB_NOTIFY_MODE_GRAB) {
    window.keyboardTaken = true;
  } else if (in && focus.mode == XCB_NOTIFY_MODE_UNGRAB && window.keyboardTaken) {
    window.keyboardMoveSince.reset();
    window.keyboardTaken = false;
    if (window.context) {
      QMetaObject::invokeMethod(window.context, window.keyboardMoveEnded, Qt::QueuedConnection);
    }
  }
}

void Connection::FillIn(xcb_configure_notify_event_t& announcement) {
  const xcb_window_t window = announcement.window;
  const Owned<xcb_get_geometry_reply_t> geometry(
      xcb_get_geometry_reply(x, xcb_get_geometry(x, window), nullptr), &std::free);
  const Owned<xcb_translate_coordinates_reply_t> at(
      xcb_translate_coordinates_reply(x, xcb_translate_coordinates(x, window, root, 0, 0), nullptr),
      &std::free);
  announcement.above_sibling = XCB_NONE;
  if (geometry && at) {
    announcement.x = at->dst_x;
    announcement.y = at->dst_y;
    announcement.width = geometry->width;
    announcement.height = geometry->height;
  }
}

void Connection::WriteSizeHints(xcb_window_t window) {
  const auto found = kept.find(window);
  if (found == kept.end() || !found->second.limits) return;
  const auto [minimum, maximum] = *found->second.limits;
  // The hints are 18 32-bit fields; the first says which of the others are set. The toolkit's own
  // are kept but for the limits and the size steps: it asks for sizes in steps of whole logical
  // pixels, which at a fractional ratio of device pixels reach only some sizes.
  constexpr std::size_t kFields = 18;
  constexpr std::uint32_t kMinSize = 1U << 4, kMaxSize = 1U << 5, kResizeIncrement = 1U << 6,
                          kBaseSize = 1U << 8;
  std::array<std::uint32_t, kFields> fields{};
  const Owned<xcb_get_property_reply_t> hints(
      xcb_get_property_reply(x,
                             xcb_get_property(x, 0, window, XCB_ATOM_WM_NORMAL_HINTS,
                                              XCB_ATOM_WM_SIZE_HINTS, 0, kFields),
                             nullptr),
      &std::free);
  if (hints && hints->format == 32) {
    const auto bytes = std::min<std::size_t>(
        sizeof fields, static_cast<std::size_t>(xcb_get_property_value_length(hints.get())));
    std::memcpy(fields.data(), xcb_get_property_value(hints.get()), bytes);
  }
  const std::array<std::uint32_t, kFields> toolkits = fields;
  fields[0] = (fields[0] & ~(kResizeIncrement | kBaseSize)) | kMinSize | kMaxSize;
  fields[5] = static_cast<std::uint32_t>(minimum.width());
  fields[6] = static_cast<std::uint32_t>(minimum.height());
  fields[7] = static_cast<std::uint32_t>(maximum.width());
  fields[8] = static_cast<std::uint32_t>(maximum.height());
  if (fields == toolkits) return;
  xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                      XCB_ATOM_WM_SIZE_HINTS, 32, kFields, fields.data());
  xcb_flush(x);
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
