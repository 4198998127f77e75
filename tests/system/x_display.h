#pragma once
// A display of one test's own: an Xvfb server on a display number the
// server picks itself (so tests running side by side never meet), and a
// connection to it that follows the top-level windows of the programs
// shown there, sends them pointer input through the XTEST extension and
// takes pictures of them. Every wait is bounded by a time-out and returns
// as soon as the server reports what it waits for.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <xcb/xcb.h>

#include "child_process.h"

namespace vektest {

using TWindowId = uint32_t;

class TXDisplay {
 public:
  // Starts the server and connects to it; Problem() tells what failed.
  // With a window manager (openbox), top-level windows get its frames and
  // its close, as on a desktop.
  explicit TXDisplay(bool withWindowManager = false);
  ~TXDisplay();
  TXDisplay(const TXDisplay&) = delete;
  TXDisplay& operator=(const TXDisplay&) = delete;

  bool Started() const { return problem_.empty(); }
  const std::string& Problem() const { return problem_; }
  // ":N", the value of DISPLAY for programs shown here.
  const std::string& Name() const { return name_; }

  // A mapped top-level window with exactly this title, waiting for one
  // to appear; nothing when `timeout` passes first.
  std::optional<TWindowId> WaitForWindow(std::string_view title, std::chrono::milliseconds timeout);
  // The same, among windows of that title, for the one of this size (a
  // program whose windows share a title).
  std::optional<TWindowId> WaitForWindow(std::string_view title, int width, int height,
                                         std::chrono::milliseconds timeout);
  // Waits until the window is no longer mapped; false on time-out.
  bool WaitForWindowHidden(TWindowId window, std::chrono::milliseconds timeout);
  // Titles of the mapped top-level windows (for failure messages).
  std::vector<std::string> MappedTitles() const;

  // Moves the pointer to (x, y) inside the window and presses and releases
  // the left button `clicks` times in a row (2: a double click).
  void Click(TWindowId window, int x, int y, int clicks = 1);

  // Presses and releases the key of an X key symbol (XK_ values: 'a' for
  // the A key, 0xff0d Return, ...) through the XTEST extension, with Alt
  // held when asked: it goes where the display's keyboard focus is.
  void PressKey(uint32_t keysym, bool withAlt = false);
  // Waits until the window manager names the window as the active one
  // (_NET_ACTIVE_WINDOW); false on time-out.
  bool WaitForActiveWindow(TWindowId window, std::chrono::milliseconds timeout);

  // The window manager's close of the window, as its close button and
  // Alt+F4 ask for it (_NET_CLOSE_WINDOW). The window manager passes it on
  // in its own time: it may reach the program after input sent later.
  void CloseThroughWindowManager(TWindowId window);
  // The close message the window manager sends (WM_DELETE_WINDOW), sent
  // directly: it reaches the program before any input sent later.
  void SendCloseMessage(TWindowId window);
  // The values of a property of 32-bit items (empty when it is not set).
  std::vector<uint32_t> Property32(TWindowId window, std::string_view name) const;
  // The bytes of a property of 8-bit items, such as WM_CLASS ("" when it is not set).
  std::string Property8(TWindowId window, std::string_view name) const;

  // Waits until the window shows a drawn picture: not one flat colour, and
  // the same in two looks one after the other. A program moves and fills a
  // window it shows before it draws it, so a drawn window also stands where
  // it stays. False when no such picture comes within `timeout`.
  bool WaitForDrawn(TWindowId window, std::chrono::milliseconds timeout);
  // Writes the window's drawn picture (waiting for it as above) as a PNG
  // file; false on time-out or when the file cannot be written.
  bool SaveScreenshot(TWindowId window, const std::filesystem::path& path,
                      std::chrono::milliseconds timeout);
  // The window's drawn picture (as above; empty on time-out), and a wait for
  // a drawn picture other than such a one: how a test sees that the program
  // has answered its input.
  std::vector<uint8_t> DrawnPixels(TWindowId window, std::chrono::milliseconds timeout);
  bool WaitForPictureOtherThan(TWindowId window, const std::vector<uint8_t>& before,
                               std::chrono::milliseconds timeout);

 private:
  struct TWindow {
    bool Mapped = false;
    std::string Title;
  };
  struct TPicture {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;  // 32 bits a pixel, as the server sends them
  };
  using TClock = std::chrono::steady_clock;

  bool StartServer();
  bool Connect();
  bool StartWindowManager();
  // Runs `done` after each batch of events until it answers true or the
  // deadline passes; at most `step` passes between two runs of it.
  bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                 std::chrono::milliseconds step);
  // Handles the events that have come in, waiting at most `wait` for the first.
  void PumpEvents(std::chrono::milliseconds wait);
  // Handles the events that are there already; false when there were none.
  bool HandleQueuedEvents();
  void Handle(const xcb_generic_event_t& event);
  void Follow(TWindowId window);
  std::string ReadTitle(TWindowId window) const;
  uint32_t Atom(std::string_view name) const;
  // The key code that types the key symbol, 0 when the keyboard has none.
  uint8_t KeyCodeOf(uint32_t keysym) const;
  std::optional<TPicture> Grab(TWindowId window) const;
  // The first drawn picture that `accept` takes.
  std::optional<TPicture> DrawnPicture(
      TWindowId window, std::chrono::milliseconds timeout,
      const std::function<bool(const TPicture&)>& accept = [](const TPicture&) { return true; });
  // Waits until the server has carried out every request sent so far.
  void Sync() const;

  std::string problem_;
  std::string name_;
  std::unique_ptr<TChildProcess> server_;
  std::unique_ptr<TChildProcess> windowManager_;
  xcb_connection_t* connection_ = nullptr;
  TWindowId root_ = 0;
  uint32_t netWmName_ = 0;
  uint32_t utf8String_ = 0;
  std::map<TWindowId, TWindow> windows_;
};

}  // namespace vektest
