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
#include <memory>

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
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || x11 == nullptr) return nullptr;
    static Connection connection(x11->connection());
    return &connection;
  }

  xcb_connection_t* const x;
  const xcb_window_t root;
  const xcb_atom_t moveResize = Intern("_NET_WM_MOVERESIZE");

  bool OffersMoveResize() {
    if (!offersMoveResize_) {
      const Owned<xcb_get_property_reply_t> supported(
          xcb_get_property_reply(
              x, xcb_get_property(x, 0, root, supported_, XCB_ATOM_ATOM, 0, 1024), nullptr),
          &std::free);
      bool offered = false;
      if (supported && supported->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
        const auto count =
            static_cast<std::size_t>(xcb_get_property_value_length(supported.get())) /
            sizeof(xcb_atom_t);
        offered = std::find(atoms, atoms + count, moveResize) != atoms + count;
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
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
    if (change->window == root && (change->atom == supported_ || change->atom == check_)) {
      offersMoveResize_.reset();
    }
    return false;
  }

 private:
  explicit Connection(xcb_connection_t* connection)
      : x(connection), root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root) {
    qGuiApp->installNativeEventFilter(this);
  }

  xcb_atom_t Intern(const char* name) const {
    const Owned<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            x, xcb_intern_atom(x, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  }

  const xcb_atom_t supported_ = Intern("_NET_SUPPORTED");
  const xcb_atom_t check_ = Intern("_NET_SUPPORTING_WM_CHECK");
  std::optional<bool> offersMoveResize_;
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
  message.type = c->moveResize;
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
std::optional<QPoint> Position(WId) { return {}; }
void AnnounceGeometry(WId, QRect) {}
}  // namespace countdown::frame::x11

#endif
