#include "display.h"

#include <QFile>
#include <QLibraryInfo>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <tuple>

#ifdef COUNTDOWN_WITH_XCB
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <array>
#include <cstring>
#endif

namespace countdown::runtime {
namespace {

std::string Environment(const char* name) {
  const char* const value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The value of one of Qt's own options, "-name value" or "--name value".
std::string QtOption(int argc, char** argv, std::string_view name) {
  for (int i = 1; i + 1 < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument.starts_with("--")) argument.remove_prefix(1);
    if (argument.starts_with('-') && argument.substr(1) == name) return argv[i + 1];
  }
  return {};
}

#ifdef COUNTDOWN_WITH_XCB
// The connection the display check made, kept until Qt has its own: where it was the server's
// only client, closing it would make the X server reset just as Qt connects.
xcb_connection_t* checked = nullptr;

// Empty when an X server answers on `display`, otherwise why not. An X server that answers and
// refuses the connection says why, and libxcb writes that to standard error: it is taken from
// there into the program's own one line.
std::string OpenX11(const std::string& display) {
  if (display.empty()) return "DISPLAY is not set";
  int pipe[2] = {-1, -1};
  const int standardError = ::dup(STDERR_FILENO);
  const bool caught = standardError >= 0 && ::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) == 0;
  if (caught) ::dup2(pipe[1], STDERR_FILENO);
  xcb_connection_t* const connection = xcb_connect(display.c_str(), nullptr);
  std::string said;
  if (caught) {
    ::dup2(standardError, STDERR_FILENO);
    ::close(pipe[1]);
    std::array<char, 512> buffer{};
    const ssize_t length = ::read(pipe[0], buffer.data(), buffer.size());
    if (length > 0) said.assign(buffer.data(), static_cast<std::size_t>(length));
    ::close(pipe[0]);
  }
  if (standardError >= 0) ::close(standardError);
  if (xcb_connection_has_error(connection) == 0) {
    if (checked != nullptr) xcb_disconnect(checked);
    checked = connection;
    return {};
  }
  xcb_disconnect(connection);
  while (!said.empty() && (said.back() == '\n' || said.back() == '.')) said.pop_back();
  if (!said.empty()) return "the X server at " + display + " refused the connection (" + said + ")";
  return "the X display " + display + " cannot be opened (no X server answers there)";
}
// Empty when a Wayland compositor answers on its socket, otherwise why not.
std::string OpenWayland() {
  const std::string name = Environment("WAYLAND_DISPLAY");
  // Where WAYLAND_DISPLAY is not set, clients try wayland-0.
  std::string path = name.empty() ? "wayland-0" : name;
  if (!path.starts_with('/')) {
    const std::string directory = Environment("XDG_RUNTIME_DIR");
    if (directory.empty()) {
      return name.empty()
                 ? "WAYLAND_DISPLAY is not set"
                 : "the Wayland display " + name + " cannot be found (XDG_RUNTIME_DIR is not set)";
    }
    path = directory + "/" + path;
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) return "the Wayland display's path is too long";
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool answers = socket >= 0 && ::connect(socket, reinterpret_cast<const sockaddr*>(&address),
                                                sizeof(address)) == 0;
  if (socket >= 0) ::close(socket);
  if (answers) {
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                           QLatin1String("/platforms/libqwayland-generic.so");
    if (QFile::exists(plugin)) return {};
    return "the Wayland display is there, but Qt's Wayland platform plugin is not installed";
  }
  if (name.empty()) return "WAYLAND_DISPLAY is not set";
  return "the Wayland display " + name + " cannot be opened (no compositor answers there)";
}
#endif

}  // namespace

namespace {
QtMessageHandler qtMessages = nullptr;

// Qt's own words when the display server closes the connection under it, after which Qt ends
// the program with status 1: said again plainly, in the program's name.
void SayPlainlyWhenTheDisplayGoes(QtMsgType type, const QMessageLogContext& context,
                                  const QString& message) {
  for (const auto& [qt, name, server] :
       {std::tuple{"The X11 connection broke", "DISPLAY", "X server"},
        std::tuple{"The Wayland connection broke", "WAYLAND_DISPLAY", "Wayland compositor"}}) {
    if (message.startsWith(QLatin1String(qt))) {
      std::fprintf(stderr,
                   "countdown3000: the display %s went away (its %s closed the connection)\n",
                   Environment(name).c_str(), server);
      return;
    }
  }
  if (qtMessages != nullptr) qtMessages(type, context, message);
}
}  // namespace

void DisplayOpened() {
#ifdef COUNTDOWN_WITH_XCB
  if (checked != nullptr) xcb_disconnect(checked);
  checked = nullptr;
#endif
  qtMessages = qInstallMessageHandler(SayPlainlyWhenTheDisplayGoes);
}

std::optional<std::string> ChooseDisplay(int argc, char** argv) {
#ifdef COUNTDOWN_WITH_XCB
  std::string named = QtOption(argc, argv, "platform");
  if (named.empty()) named = Environment("QT_QPA_PLATFORM");
  std::string display = QtOption(argc, argv, "display");
  if (display.empty()) display = Environment("DISPLAY");

  if (named.empty()) {
    const std::string x11 = OpenX11(display);
    if (x11.empty()) {
      setenv("QT_QPA_PLATFORM", "xcb", 1);
      return std::nullopt;
    }
    const std::string wayland = OpenWayland();
    if (wayland.empty()) {
      setenv("QT_QPA_PLATFORM", "wayland", 1);
      return std::nullopt;
    }
    return "cannot open a display: " + x11 + ", and " + wayland;
  }
  // The platforms the user named, in order, with their options after a colon.
  std::string reasons;
  for (std::size_t start = 0; start <= named.size();) {
    const std::size_t end = std::min(named.find(';', start), named.size());
    const std::string entry = named.substr(start, end - start);
    start = end + 1;
    const std::string platform = entry.substr(0, entry.find(':'));
    std::string why;
    if (platform == "xcb") {
      why = OpenX11(display);
    } else if (platform.starts_with("wayland")) {
      why = OpenWayland();
    } else {
      return std::nullopt;  // offscreen, vnc and the like open no display of the desktop's
    }
    if (why.empty()) return std::nullopt;
    reasons += (reasons.empty() ? "" : ", and ") + why;
  }
  return "cannot open a display for the Qt platform \"" + named + "\": " + reasons;
#else
  (void)argc;
  (void)argv;
  return std::nullopt;
#endif
}

}  // namespace countdown::runtime
