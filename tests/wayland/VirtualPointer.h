// A pointer that a test moves and clicks on a wlroots compositor (sway),
// through the compositor's virtual-pointer protocol: the compositor sees a
// mouse, and the program under test gets ordinary pointer events from it.
#pragma once

#include <string>

struct wl_display;
struct wl_proxy;

namespace wltest {

class VirtualPointer {
 public:
  // Connects to the compositor's socket `display` in `runtimeDir`; the
  // screen is `width` x `height` pixels. Check ok() before use.
  VirtualPointer(const std::string& runtimeDir, const std::string& display, int width, int height);
  ~VirtualPointer();
  VirtualPointer(const VirtualPointer&) = delete;
  VirtualPointer& operator=(const VirtualPointer&) = delete;

  bool ok() const { return pointer_ != nullptr; }
  // Why it is not ok.
  const std::string& error() const { return error_; }

  // Puts the pointer at a screen position.
  void moveTo(int x, int y);
  // A button down and up: the left one unless told otherwise.
  enum Button : unsigned { kLeft = 0x110, kRight = 0x111 };  // BTN_LEFT, BTN_RIGHT
  void press(Button button = kLeft);
  void release(Button button = kLeft);

  // The registry's answer, while connecting (used by the C callbacks).
  void announce(wl_proxy* registry, unsigned name, const char* interface, unsigned version);

 private:
  void flush();
  unsigned now() const;

  wl_display* display_ = nullptr;
  wl_proxy* registry_ = nullptr;
  wl_proxy* seat_ = nullptr;
  wl_proxy* manager_ = nullptr;
  wl_proxy* pointer_ = nullptr;
  int width_;
  int height_;
  std::string error_;
};

}  // namespace wltest
