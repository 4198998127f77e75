#include "x_display.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include <xcb/xtest.h>
#include <QImage>
#include <QString>

namespace vektest {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds ServerStartTimeout{20000};
constexpr milliseconds ServerStopTimeout{5000};
// Between two looks at a window that is being drawn.
constexpr milliseconds PictureLookInterval{50};
constexpr uint8_t LeftButton = 1;
constexpr uint8_t EventTypeMask = 0x7F;  // without the bit of events sent by a client

template <class T>
using TReply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
TReply<T> Owned(T* reply) {
  return TReply<T>(reply, &std::free);
}

// Reads what the server writes on `descriptor` up to its line break (the
// display number) or its end; empty when nothing came in time.
std::string ReadLine(int descriptor, milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string text;
  while (text.find('\n') == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd ready{descriptor, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) return {};
    char chunk[32];
    const ssize_t count = ::read(descriptor, chunk, sizeof chunk);
    if (count <= 0) break;
    text.append(chunk, static_cast<size_t>(count));
  }
  return text.substr(0, text.find('\n'));
}

}  // namespace

TXDisplay::TXDisplay(bool withWindowManager) {
  if (StartServer() && Connect() && withWindowManager) StartWindowManager();
}

TXDisplay::~TXDisplay() {
  if (windowManager_) windowManager_->Stop(ServerStopTimeout);
  if (connection_ != nullptr) xcb_disconnect(connection_);
  if (server_) server_->Stop(ServerStopTimeout);
}

bool TXDisplay::StartServer() {
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) {
    problem_ = "no pipe for the display number";
    return false;
  }
  TChildOptions options;
  options.PassedDescriptor = pipe[1];
  // The server writes the number of the display it chose to descriptor 3
  // once it accepts connections. -br: a black screen, so that a window
  // nobody has drawn yet is one flat colour.
  server_ = TChildProcess::Start(
      "Xvfb", {"-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1024x768x24", "-br"},
      options);
  ::close(pipe[1]);
  const std::string number = server_ ? ReadLine(pipe[0], ServerStartTimeout) : std::string();
  ::close(pipe[0]);
  if (!number.empty()) {
    name_ = ":" + number;
    return true;
  }
  // A server that could not start at all has ended by the time its end of
  // the pipe closed, or very soon after.
  const std::optional<int> status =
      server_ ? server_->WaitForExit(ServerStopTimeout) : std::optional<int>(127);
  if (status == 127) {
    problem_ = "Xvfb is not installed (scripts/install-deps installs it)";
  } else if (status) {
    problem_ = "Xvfb ended at start with status " + std::to_string(*status);
  } else {
    problem_ = "Xvfb gave no display number in time";
  }
  return false;
}

bool TXDisplay::Connect() {
  connection_ = xcb_connect(name_.c_str(), nullptr);
  if (xcb_connection_has_error(connection_) != 0) {
    problem_ = "cannot connect to the display " + name_;
    return false;
  }
  const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection_, &xcb_test_id);
  if (xtest == nullptr || xtest->present == 0) {
    problem_ = "the display has no XTEST extension";
    return false;
  }
  root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  netWmName_ = Atom("_NET_WM_NAME");
  utf8String_ = Atom("UTF8_STRING");
  // Top-level windows are created as the root's children; without a window
  // manager their mapping shows here too. The root's properties tell when a
  // window manager has started.
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
  Sync();
  return true;
}

// A running window manager names itself on the root window.
bool TXDisplay::StartWindowManager() {
  TChildOptions options;
  options.Environment = {{"DISPLAY", name_}};
  windowManager_ = TChildProcess::Start("openbox", {"--sm-disable"}, options);
  const bool running = windowManager_ != nullptr &&
                       WaitUntil(
                           [&] {
                             return !Property32(root_, "_NET_SUPPORTING_WM_CHECK").empty() ||
                                    windowManager_->HasEnded();
                           },
                           ServerStartTimeout, PictureLookInterval) &&
                       !windowManager_->HasEnded();
  if (running) return true;
  const std::optional<int> status =
      windowManager_ ? windowManager_->WaitForExit(ServerStopTimeout) : std::optional<int>(127);
  problem_ = status == 127 ? "openbox is not installed (scripts/install-deps installs it)"
                           : "the window manager did not start";
  return false;
}

std::vector<uint32_t> TXDisplay::Property32(TWindowId window, std::string_view name) const {
  const auto reply = Owned(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, window, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
      nullptr));
  if (!reply || reply->format != 32) return {};
  const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
  return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

std::string TXDisplay::Property8(TWindowId window, std::string_view name) const {
  const auto reply = Owned(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, window, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
      nullptr));
  if (!reply || reply->format != 8) return {};
  return {static_cast<const char*>(xcb_get_property_value(reply.get())),
          static_cast<size_t>(xcb_get_property_value_length(reply.get()))};
}

uint32_t TXDisplay::Atom(std::string_view name) const {
  const auto reply = Owned(xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.data()),
      nullptr));
  return reply ? reply->atom : uint32_t{XCB_ATOM_NONE};
}

void TXDisplay::Sync() const {
  std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

// --- Following the windows ---------------------------------------------------------

bool TXDisplay::WaitUntil(const std::function<bool()>& done, milliseconds timeout,
                          milliseconds step) {
  const auto deadline = TClock::now() + timeout;
  while (!done()) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - TClock::now());
    if (left.count() <= 0 || xcb_connection_has_error(connection_) != 0) return false;
    PumpEvents(std::min(step, left));
  }
  return true;
}

void TXDisplay::PumpEvents(milliseconds wait) {
  xcb_flush(connection_);
  if (HandleQueuedEvents()) return;
  pollfd ready{xcb_get_file_descriptor(connection_), POLLIN, 0};
  ::poll(&ready, 1, static_cast<int>(wait.count()));
  HandleQueuedEvents();
}

bool TXDisplay::HandleQueuedEvents() {
  bool handled = false;
  for (xcb_generic_event_t* event; (event = xcb_poll_for_event(connection_)) != nullptr;) {
    Handle(*event);
    std::free(event);
    handled = true;
  }
  return handled;
}

void TXDisplay::Handle(const xcb_generic_event_t& event) {
  switch (event.response_type & EventTypeMask) {
    case XCB_CREATE_NOTIFY: {
      const auto& create = reinterpret_cast<const xcb_create_notify_event_t&>(event);
      if (create.parent == root_) Follow(create.window);
      break;
    }
    case XCB_MAP_NOTIFY: {
      const auto& map = reinterpret_cast<const xcb_map_notify_event_t&>(event);
      if (map.event == root_) Follow(map.window);
      if (auto found = windows_.find(map.window); found != windows_.end()) {
        found->second.Mapped = true;
      }
      break;
    }
    case XCB_UNMAP_NOTIFY: {
      const auto& unmap = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
      if (auto found = windows_.find(unmap.window); found != windows_.end()) {
        found->second.Mapped = false;
      }
      break;
    }
    case XCB_DESTROY_NOTIFY:
      windows_.erase(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window);
      break;
    case XCB_PROPERTY_NOTIFY: {
      const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
      const bool title = change.atom == netWmName_ || change.atom == XCB_ATOM_WM_NAME;
      if (auto found = windows_.find(change.window); title && found != windows_.end()) {
        found->second.Title = ReadTitle(change.window);
      }
      break;
    }
    default:
      break;
  }
}

// Watches the window's mapping and title from now on, then reads them, so
// that no change slips in between. A window manager puts each new top-level
// window into a frame of its own before it maps it, so its mapping shows
// only to those who watch the window itself, from its creation on.
void TXDisplay::Follow(TWindowId window) {
  const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
  const auto attributes = Owned(xcb_get_window_attributes_reply(
      connection_, xcb_get_window_attributes(connection_, window), nullptr));
  if (!attributes) return;
  TWindow& followed = windows_[window];
  followed.Mapped = attributes->map_state != XCB_MAP_STATE_UNMAPPED;
  followed.Title = ReadTitle(window);
}

std::string TXDisplay::ReadTitle(TWindowId window) const {
  for (const auto& [property, type] :
       {std::pair{netWmName_, utf8String_},
        std::pair<uint32_t, uint32_t>{XCB_ATOM_WM_NAME, XCB_ATOM_STRING}}) {
    const auto reply = Owned(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, 1024), nullptr));
    if (!reply) continue;
    const int length = xcb_get_property_value_length(reply.get());
    if (length > 0) {
      return {static_cast<const char*>(xcb_get_property_value(reply.get())),
              static_cast<size_t>(length)};
    }
  }
  return {};
}

std::optional<TWindowId> TXDisplay::WaitForWindow(std::string_view title, milliseconds timeout) {
  std::optional<TWindowId> found;
  WaitUntil(
      [&] {
        for (const auto& [id, window] : windows_) {
          if (window.Mapped && window.Title == title) found = id;
        }
        return found.has_value();
      },
      timeout, timeout);
  return found;
}

std::optional<TWindowId> TXDisplay::WaitForWindow(std::string_view title, int width, int height,
                                                  milliseconds timeout) {
  std::optional<TWindowId> found;
  WaitUntil(
      [&] {
        for (const auto& [id, window] : windows_) {
          if (!window.Mapped || window.Title != title) continue;
          const auto geometry = Owned(
              xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, id), nullptr));
          if (geometry && geometry->width == width && geometry->height == height) found = id;
        }
        return found.has_value();
      },
      timeout, PictureLookInterval);
  return found;
}

bool TXDisplay::WaitForWindowHidden(TWindowId window, milliseconds timeout) {
  return WaitUntil(
      [&] {
        const auto found = windows_.find(window);
        return found == windows_.end() || !found->second.Mapped;
      },
      timeout, timeout);
}

std::vector<std::string> TXDisplay::MappedTitles() const {
  std::vector<std::string> titles;
  for (const auto& [id, window] : windows_) {
    if (window.Mapped) titles.push_back(window.Title);
  }
  return titles;
}

// --- Input and pictures ------------------------------------------------------------

namespace {

xcb_client_message_event_t ClientMessage(TWindowId window, uint32_t type) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = type;
  return message;
}

}  // namespace

void TXDisplay::CloseThroughWindowManager(TWindowId window) {
  xcb_client_message_event_t message = ClientMessage(window, Atom("_NET_CLOSE_WINDOW"));
  message.data.data32[0] = XCB_CURRENT_TIME;
  message.data.data32[1] = 2;  // the user's own request, as from a pager
  xcb_send_event(connection_, 0, root_,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&message));
  Sync();
}

void TXDisplay::SendCloseMessage(TWindowId window) {
  xcb_client_message_event_t message = ClientMessage(window, Atom("WM_PROTOCOLS"));
  message.data.data32[0] = Atom("WM_DELETE_WINDOW");
  message.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&message));
  Sync();
}

void TXDisplay::Click(TWindowId window, int x, int y, int clicks) {
  const auto spot = Owned(xcb_translate_coordinates_reply(
      connection_,
      xcb_translate_coordinates(connection_, window, root_, static_cast<int16_t>(x),
                                static_cast<int16_t>(y)),
      nullptr));
  if (!spot) return;
  xcb_test_fake_input(connection_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, spot->dst_x,
                      spot->dst_y, 0);
  for (int click = 0; click < clicks; ++click) {
    xcb_test_fake_input(connection_, XCB_BUTTON_PRESS, LeftButton, XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                        0);
    xcb_test_fake_input(connection_, XCB_BUTTON_RELEASE, LeftButton, XCB_CURRENT_TIME, XCB_NONE, 0,
                        0, 0);
  }
  Sync();
}

uint8_t TXDisplay::KeyCodeOf(uint32_t keysym) const {
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  const uint8_t first = setup->min_keycode;
  const int count = setup->max_keycode - first + 1;
  const auto mapping = Owned(xcb_get_keyboard_mapping_reply(
      connection_, xcb_get_keyboard_mapping(connection_, first, static_cast<uint8_t>(count)),
      nullptr));
  if (!mapping) return 0;
  const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping.get());
  const int perCode = mapping->keysyms_per_keycode;
  for (int code = 0; code < count; ++code) {
    for (int i = 0; i < perCode; ++i) {
      if (symbols[code * perCode + i] == keysym) return static_cast<uint8_t>(first + code);
    }
  }
  return 0;
}

void TXDisplay::PressKey(uint32_t keysym, bool withAlt) {
  constexpr uint32_t AltKeySymbol = 0xffe9;  // Alt_L
  const uint8_t key = KeyCodeOf(keysym);
  const uint8_t alt = withAlt ? KeyCodeOf(AltKeySymbol) : 0;
  if (key == 0 || (withAlt && alt == 0)) return;
  const auto send = [this](uint8_t type, uint8_t code) {
    xcb_test_fake_input(connection_, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  };
  if (withAlt) send(XCB_KEY_PRESS, alt);
  send(XCB_KEY_PRESS, key);
  send(XCB_KEY_RELEASE, key);
  if (withAlt) send(XCB_KEY_RELEASE, alt);
  Sync();
}

bool TXDisplay::WaitForActiveWindow(TWindowId window, milliseconds timeout) {
  return WaitUntil(
      [&] {
        const std::vector<uint32_t> active = Property32(root_, "_NET_ACTIVE_WINDOW");
        return !active.empty() && active[0] == window;
      },
      timeout, PictureLookInterval);
}

std::optional<TXDisplay::TPicture> TXDisplay::Grab(TWindowId window) const {
  const auto geometry =
      Owned(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
  if (!geometry) return std::nullopt;
  const auto image =
      Owned(xcb_get_image_reply(connection_,
                                xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                              geometry->width, geometry->height, ~0u),
                                nullptr));
  TPicture picture{geometry->width, geometry->height, {}};
  const size_t bytes = size_t{geometry->width} * geometry->height * 4;
  if (!image || xcb_get_image_data_length(image.get()) != static_cast<int>(bytes)) {
    return std::nullopt;
  }
  const uint8_t* data = xcb_get_image_data(image.get());
  picture.Pixels.assign(data, data + bytes);
  return picture;
}

namespace {

// Whether every pixel has one colour (the padding byte aside).
bool IsFlat(const std::vector<uint8_t>& pixels) {
  for (size_t i = 4; i < pixels.size(); ++i) {
    if (i % 4 != 3 && pixels[i] != pixels[i % 4]) return false;
  }
  return true;
}

}  // namespace

std::optional<TXDisplay::TPicture> TXDisplay::DrawnPicture(
    TWindowId window, milliseconds timeout, const std::function<bool(const TPicture&)>& accept) {
  std::optional<TPicture> previous;
  std::optional<TPicture> settled;
  WaitUntil(
      [&] {
        std::optional<TPicture> look = Grab(window);
        if (look && previous && look->Pixels == previous->Pixels && !IsFlat(look->Pixels) &&
            accept(*look)) {
          settled = std::move(look);
          return true;
        }
        previous = std::move(look);
        return false;
      },
      timeout, PictureLookInterval);
  return settled;
}

bool TXDisplay::WaitForDrawn(TWindowId window, milliseconds timeout) {
  return DrawnPicture(window, timeout).has_value();
}

std::vector<uint8_t> TXDisplay::DrawnPixels(TWindowId window, milliseconds timeout) {
  std::optional<TPicture> picture = DrawnPicture(window, timeout);
  return picture ? std::move(picture->Pixels) : std::vector<uint8_t>();
}

bool TXDisplay::WaitForPictureOtherThan(TWindowId window, const std::vector<uint8_t>& before,
                                        milliseconds timeout) {
  return DrawnPicture(window, timeout, [&](const TPicture& look) { return look.Pixels != before; })
      .has_value();
}

bool TXDisplay::SaveScreenshot(TWindowId window, const std::filesystem::path& path,
                               milliseconds timeout) {
  std::optional<TPicture> picture = DrawnPicture(window, timeout);
  if (!picture) return false;
  // The server's 32-bit pixels are Qt's RGB32 once the padding byte is opaque.
  for (size_t i = 3; i < picture->Pixels.size(); i += 4) picture->Pixels[i] = 0xFF;
  const QImage image(picture->Pixels.data(), picture->Width, picture->Height, picture->Width * 4,
                     QImage::Format_RGB32);
  return image.save(QString::fromStdString(path.string()), "PNG");
}

}  // namespace vektest
