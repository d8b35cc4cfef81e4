// Starts a program and reports how long it takes, from exec to a window of the program that is
// viewable and has a numeric title; with --drawn, until the window has also drawn the count in
// its own caption bar (text standing out from the caption, read back from the window's image
// whenever the X server reports the window's contents damaged). It waits on X events rather
// than polling, so that it takes no time of its own from the program it measures.
//
//   startup_probe [--drawn] <program> [arguments...]
//
// prints "<milliseconds> <pid>" and exits, leaving the program running.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> Own(Reply* reply) {
  return {reply, &std::free};
}

xcb_atom_t Atom(xcb_connection_t* x, std::string_view name) {
  const auto reply = Own(xcb_intern_atom_reply(
      x, xcb_intern_atom(x, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string Property(xcb_connection_t* x, xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
  const auto reply =
      Own(xcb_get_property_reply(x, xcb_get_property(x, 0, window, name, type, 0, 256), nullptr));
  if (!reply) return {};
  return {static_cast<const char*>(xcb_get_property_value(reply.get())),
          static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
}

bool Numeric(const std::string& text) {
  if (text.empty()) return false;
  const std::size_t start = text[0] == '-' ? 1 : 0;
  return start < text.size() && text.find_first_not_of("0123456789", start) == std::string::npos;
}

double Luminance(std::uint32_t pixel) {
  const auto linear = [](std::uint32_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear((pixel >> 16) & 0xff) + 0.7152 * linear((pixel >> 8) & 0xff) +
         0.0722 * linear(pixel & 0xff);
}

// Whether the window shows text in the place of the count in its caption bar: (24, 4, 67, 19) in
// a window 115 pixels wide, in proportion in a wider one. Text is a few pixels that stand out
// from the commonest colour there by at least 3:1; a caption not yet drawn is all one colour.
bool CountDrawn(xcb_connection_t* x, xcb_window_t window) {
  const auto geometry = Own(xcb_get_geometry_reply(x, xcb_get_geometry(x, window), nullptr));
  if (!geometry || geometry->depth != 24) return false;
  const double scale = geometry->width / 115.0;
  const auto at = [scale](int v) { return static_cast<std::uint16_t>(std::lround(v * scale)); };
  const auto image = Own(xcb_get_image_reply(
      x,
      xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, window, static_cast<std::int16_t>(at(24)),
                    static_cast<std::int16_t>(at(4)), at(67), at(19), ~0u),
      nullptr));
  if (!image) return false;
  const auto* pixels = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image.get()));
  const std::size_t count = static_cast<std::size_t>(xcb_get_image_data_length(image.get())) / 4;
  std::unordered_map<std::uint32_t, int> colours;
  for (std::size_t i = 0; i < count; ++i) ++colours[pixels[i] & 0xffffff];
  const auto commonest =
      std::max_element(colours.begin(), colours.end(),
                       [](const auto& a, const auto& b) { return a.second < b.second; });
  if (commonest == colours.end()) return false;
  const double background = Luminance(commonest->first);
  int standingOut = 0;
  for (const auto& [colour, times] : colours) {
    const double l = Luminance(colour);
    if ((std::max(l, background) + 0.05) / (std::min(l, background) + 0.05) >= 3) {
      standingOut += times;
    }
  }
  return standingOut >= 12;
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool drawn = argc > 1 && std::strcmp(argv[1], "--drawn") == 0;
  if (drawn) {
    --argc;
    ++argv;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup_probe [--drawn] <program> [arguments...]\n");
    return 2;
  }
  xcb_connection_t* const x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) {
    std::fprintf(stderr, "startup_probe: cannot open the display\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  const xcb_atom_t pidAtom = Atom(x, "_NET_WM_PID");
  const xcb_atom_t nameAtom = Atom(x, "_NET_WM_NAME");
  const xcb_atom_t utf8 = Atom(x, "UTF8_STRING");
  if (drawn) {
    const auto damage = Own(xcb_damage_query_version_reply(
        x, xcb_damage_query_version(x, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    if (!damage) {
      std::fprintf(stderr, "startup_probe: the X server has no DAMAGE extension\n");
      return 1;
    }
  }
  const std::uint8_t damageEvents =
      drawn ? xcb_get_extension_data(x, &xcb_damage_id)->first_event : 0;
  const std::uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &rootMask);
  xcb_flush(x);

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    // The program outlives the probe: it must not hold the probe's output open.
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execvp(argv[1], argv + 1);
    _exit(127);
  }

  // Every top-level window created since; the program's own among them are checked whenever
  // anything about them may have changed.
  std::set<xcb_window_t> watched;
  const auto ready = [&](xcb_window_t window) {
    const std::string windowPid = Property(x, window, pidAtom, XCB_ATOM_CARDINAL);
    if (windowPid.size() != 4) return false;
    std::uint32_t owner = 0;
    std::memcpy(&owner, windowPid.data(), 4);
    if (owner != static_cast<std::uint32_t>(pid)) return false;
    const auto attributes =
        Own(xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
           Numeric(Property(x, window, nameAtom, utf8)) && (!drawn || CountDrawn(x, window));
  };

  while (xcb_generic_event_t* event = xcb_wait_for_event(x)) {
    const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
    if ((event->response_type & 0x7f) == XCB_CREATE_NOTIFY) {
      const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
      const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
      xcb_change_window_attributes(x, created->window, XCB_CW_EVENT_MASK, &mask);
      watched.insert(created->window);
      // Told when the window's contents change, once until the damage is taken away again.
      if (drawn) {
        xcb_damage_create(x, xcb_generate_id(x), created->window,
                          XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
      }
    } else if (drawn && event->response_type == damageEvents + XCB_DAMAGE_NOTIFY) {
      const auto* damaged = reinterpret_cast<xcb_damage_notify_event_t*>(event);
      xcb_damage_subtract(x, damaged->damage, XCB_NONE, XCB_NONE);
    }
    for (const xcb_window_t window : watched) {
      if (ready(window)) {
        const std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - start;
        std::printf("%.1f %d\n", elapsed.count(), static_cast<int>(pid));
        return 0;
      }
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      std::fprintf(stderr, "startup_probe: %s ended before showing a title\n", argv[1]);
      return 1;
    }
  }
  std::fprintf(stderr, "startup_probe: the display closed\n");
  return 1;
}
