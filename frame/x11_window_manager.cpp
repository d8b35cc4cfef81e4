#include "x11_window_manager.h"

#ifdef COUNTDOWN_WITH_XCB
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>

#include "x11_connection.h"

namespace countdown::frame::x11 {
namespace {

template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

// The toolkit's X connection and what the frame has learnt of the X server and the window
// manager through it: the atoms once, and whether the window manager offers _NET_WM_MOVERESIZE
// until another window manager takes over or the offer changes.
class Connection final : public QAbstractNativeEventFilter {
 public:
  static Connection* Get() {
    xcb_connection_t* const x = ToolkitConnection();
    if (x == nullptr) return nullptr;
    static Connection connection(x);
    return &connection;
  }

  xcb_connection_t* const x;
  const xcb_window_t root;

  bool OffersMoveResize() {
    if (!offersMoveResize_) {
      const Owned<xcb_get_property_reply_t> supported(
          xcb_get_property_reply(
              x, xcb_get_property(x, 0, root, Names().supported, XCB_ATOM_ATOM, 0, 1024), nullptr),
          &std::free);
      bool offered = false;
      if (supported && supported->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
        const auto count =
            static_cast<std::size_t>(xcb_get_property_value_length(supported.get())) /
            sizeof(xcb_atom_t);
        offered = std::find(atoms, atoms + count, Names().moveResize) != atoms + count;
      }
      offersMoveResize_ = offered;
    }
    return *offersMoveResize_;
  }

  // The toolkit listens to the root window's properties; a new window manager announces itself
  // in _NET_SUPPORTING_WM_CHECK and what it offers in _NET_SUPPORTED.
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
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
    if ((event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
      const auto* configure = static_cast<const xcb_configure_notify_event_t*>(message);
      if (const auto known = sizes.find(configure->window); known != sizes.end()) {
        known->second = QSize(configure->width, configure->height);
      }
      return false;
    }
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
    if (change->window == root &&
        (change->atom == Names().supported || change->atom == Names().check)) {
      offersMoveResize_.reset();
    }
    return false;
  }

 private:
  // What the frame asks of the server once, asked as soon as the connection is first used and
  // answered together when first needed: by then the answers are in, and nobody waits for them.
  struct Answers {
    xcb_atom_t moveResize, supported, check;
    std::uint8_t input;  // the XInput extension's major opcode, 0 without it
  };
  struct Questions {
    xcb_intern_atom_cookie_t moveResize, supported, check;
    xcb_query_extension_cookie_t input;
  };
  static constexpr std::string_view kInput = "XInputExtension";
  static Questions Ask(xcb_connection_t* x) {
    const auto intern = [x](std::string_view name) {
      return xcb_intern_atom(x, 0, static_cast<std::uint16_t>(name.size()), name.data());
    };
    Questions asked{
        intern("_NET_WM_MOVERESIZE"), intern("_NET_SUPPORTED"), intern("_NET_SUPPORTING_WM_CHECK"),
        xcb_query_extension(x, static_cast<std::uint16_t>(kInput.size()), kInput.data())};
    xcb_flush(x);
    return asked;
  }

  explicit Connection(xcb_connection_t* connection)
      : x(connection),
        root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root),
        asked_(Ask(connection)) {
    qGuiApp->installNativeEventFilter(this);
  }

  const Questions asked_;
  std::optional<Answers> answers_;
  std::optional<bool> offersMoveResize_;

 public:
  const Answers& Names() {
    if (!answers_) {
      const auto atom = [this](xcb_intern_atom_cookie_t cookie) {
        const Owned<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(x, cookie, nullptr),
                                                   &std::free);
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
      };
      Answers names{atom(asked_.moveResize), atom(asked_.supported), atom(asked_.check), 0};
      const Owned<xcb_query_extension_reply_t> extension(
          xcb_query_extension_reply(x, asked_.input, nullptr), &std::free);
      if (extension && extension->present) names.input = extension->major_opcode;
      answers_ = names;
    }
    return *answers_;
  }

  // The windows whose reported sizes are kept, from the first question about them on.
  std::map<xcb_window_t, std::optional<QSize>> sizes;
  std::optional<QPoint> lastPress;
};

}  // namespace

std::optional<bool> StartDrag(WId window, QPoint pressedAt, Drag drag) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return {};
  if (!c->OffersMoveResize()) return false;
  // The window manager takes the pointer over from the implicit grab of the press.
  xcb_ungrab_pointer(c->x, XCB_CURRENT_TIME);
  constexpr std::uint32_t kSizeBottom = 5, kMove = 8, kLeftButton = 1, kFromApplication = 1;
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = static_cast<xcb_window_t>(window);
  message.type = c->Names().moveResize;
  message.data.data32[0] = static_cast<std::uint32_t>(pressedAt.x());
  message.data.data32[1] = static_cast<std::uint32_t>(pressedAt.y());
  message.data.data32[2] = drag == Drag::Move ? kMove : kSizeBottom;
  message.data.data32[3] = kLeftButton;
  message.data.data32[4] = kFromApplication;
  xcb_send_event(c->x, 0, c->root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(c->x);
  return true;
}

std::optional<QPoint> LastPress() {
  Connection* const c = Connection::Get();
  return c != nullptr ? c->lastPress : std::nullopt;
}

void AskAhead() { (void)Connection::Get(); }

bool DropSizeIncrement(WId window) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return false;
  const auto id = static_cast<xcb_window_t>(window);
  const Owned<xcb_get_property_reply_t> hints(
      xcb_get_property_reply(
          c->x,
          xcb_get_property(c->x, 0, id, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 0, 18),
          nullptr),
      &std::free);
  if (!hints || hints->format != 32 || xcb_get_property_value_length(hints.get()) < 4) {
    return true;
  }
  // The first of the hints' 32-bit fields says which of the others are set.
  constexpr std::uint32_t kResizeIncrement = 1U << 6, kBaseSize = 1U << 8;
  std::array<std::uint32_t, 18> fields{};
  const auto count = std::min<std::size_t>(
      fields.size(), static_cast<std::size_t>(xcb_get_property_value_length(hints.get())) / 4);
  std::memcpy(fields.data(), xcb_get_property_value(hints.get()), count * 4);
  if ((fields[0] & kResizeIncrement) == 0) return true;
  fields[0] &= ~(kResizeIncrement | kBaseSize);
  xcb_change_property(c->x, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NORMAL_HINTS,
                      XCB_ATOM_WM_SIZE_HINTS, 32, static_cast<std::uint32_t>(count), fields.data());
  xcb_flush(c->x);
  return true;
}

std::optional<PointerState> Pointer() {
  Connection* const c = Connection::Get();
  if (c == nullptr) return {};
  const Owned<xcb_query_pointer_reply_t> pointer(
      xcb_query_pointer_reply(c->x, xcb_query_pointer(c->x, c->root), nullptr), &std::free);
  if (!pointer) return {};
  return PointerState{QPoint(pointer->root_x, pointer->root_y),
                      (pointer->mask & XCB_BUTTON_MASK_1) != 0};
}

std::optional<QPoint> Position(WId window) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return {};
  const Owned<xcb_translate_coordinates_reply_t> at(
      xcb_translate_coordinates_reply(
          c->x, xcb_translate_coordinates(c->x, static_cast<xcb_window_t>(window), c->root, 0, 0),
          nullptr),
      &std::free);
  if (!at) return {};
  return QPoint(at->dst_x, at->dst_y);
}

bool Configure(WId window, std::optional<QPoint> position, std::optional<QSize> size) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return false;
  std::uint16_t mask = 0;
  std::array<std::uint32_t, 4> values{};
  std::size_t count = 0;
  if (position) {
    mask |= XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y;
    values[count++] = static_cast<std::uint32_t>(position->x());
    values[count++] = static_cast<std::uint32_t>(position->y());
  }
  if (size) {
    mask |= XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT;
    values[count++] = static_cast<std::uint32_t>(size->width());
    values[count++] = static_cast<std::uint32_t>(size->height());
  }
  xcb_configure_window(c->x, static_cast<xcb_window_t>(window), mask, values.data());
  xcb_flush(c->x);
  return true;
}

std::optional<QSize> ReportedSize(WId window) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return {};
  return c->sizes[static_cast<xcb_window_t>(window)];
}

void AnnounceGeometry(WId window, QRect geometry) {
  Connection* const c = Connection::Get();
  if (c == nullptr) return;
  const auto id = static_cast<xcb_window_t>(window);
  xcb_configure_notify_event_t notify{};
  notify.response_type = XCB_CONFIGURE_NOTIFY;
  notify.event = id;
  notify.window = id;
  notify.x = static_cast<std::int16_t>(geometry.x());
  notify.y = static_cast<std::int16_t>(geometry.y());
  notify.width = static_cast<std::uint16_t>(geometry.width());
  notify.height = static_cast<std::uint16_t>(geometry.height());
  // The server copies a whole 32-byte event; the configure notification is shorter.
  std::array<char, 32> event{};
  static_assert(sizeof notify <= sizeof event);
  std::memcpy(event.data(), &notify, sizeof notify);
  xcb_send_event(c->x, 0, id, XCB_EVENT_MASK_STRUCTURE_NOTIFY, event.data());
  xcb_flush(c->x);
}

}  // namespace countdown::frame::x11

#else

namespace countdown::frame::x11 {
std::optional<bool> StartDrag(WId, QPoint, Drag) { return {}; }
std::optional<PointerState> Pointer() { return {}; }
std::optional<QPoint> Position(WId) { return {}; }
std::optional<QPoint> LastPress() { return {}; }
void AskAhead() {}
bool DropSizeIncrement(WId) { return false; }
bool Configure(WId, std::optional<QPoint>, std::optional<QSize>) { return false; }
std::optional<QSize> ReportedSize(WId) { return {}; }
void AnnounceGeometry(WId, QRect) {}
}  // namespace countdown::frame::x11

#endif
