// The virtual-pointer protocol spoken by hand: the two interfaces a test
// needs, declared as libwayland's tables, and the requests sent with
// wl_proxy_marshal_flags.
#include "tests/wayland/VirtualPointer.h"

#include <wayland-client.h>

#include <chrono>
#include <cstdlib>

namespace wltest {
namespace {

// Request tables of zwlr_virtual_pointer_v1 and its manager, in the order of
// the protocol (the index of a request is its opcode).
const wl_interface* kNoTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
extern const wl_interface kPointerInterface;
const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kPointerInterface};

const wl_message kPointerRequests[] = {
    {"motion", "uff", kNoTypes},          {"motion_absolute", "uuuuu", kNoTypes},
    {"button", "uuu", kNoTypes},          {"axis", "uuf", kNoTypes},
    {"frame", "", kNoTypes},              {"axis_source", "u", kNoTypes},
    {"axis_stop", "uu", kNoTypes},        {"axis_discrete", "uufi", kNoTypes},
    {"destroy", "", kNoTypes},
};
const wl_interface kPointerInterface = {"zwlr_virtual_pointer_v1", 1, 9, kPointerRequests, 0, nullptr};

const wl_message kManagerRequests[] = {
    {"create_virtual_pointer", "?on", kCreateTypes},
    {"destroy", "", kNoTypes},
};
const wl_interface kManagerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 2, kManagerRequests, 0, nullptr};

enum : unsigned { kMotionAbsolute = 1, kButton = 2, kFrame = 4, kPointerDestroy = 8 };
enum : unsigned { kCreate = 0, kManagerDestroy = 1 };

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  static_cast<VirtualPointer*>(data)->announce(reinterpret_cast<wl_proxy*>(registry), name, interface, version);
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

}  // namespace

VirtualPointer::VirtualPointer(const std::string& runtimeDir, const std::string& display, int width, int height)
    : width_(width), height_(height) {
  const std::string socket = runtimeDir + "/" + display;
  display_ = wl_display_connect(socket.c_str());
  if (!display_) {
    error_ = "cannot connect to " + socket;
    return;
  }
  wl_registry* registry = wl_display_get_registry(display_);
  registry_ = reinterpret_cast<wl_proxy*>(registry);
  wl_registry_add_listener(registry, &kRegistryListener, this);
  wl_display_roundtrip(display_);
  if (!manager_) {
    error_ = "the compositor offers no virtual pointer";
    return;
  }
  pointer_ = wl_proxy_marshal_flags(manager_, kCreate, &kPointerInterface, 1, 0, seat_, nullptr);
  wl_display_roundtrip(display_);
}

VirtualPointer::~VirtualPointer() {
  if (pointer_) wl_proxy_marshal_flags(pointer_, kPointerDestroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
  if (manager_) wl_proxy_marshal_flags(manager_, kManagerDestroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
  if (seat_) wl_proxy_destroy(seat_);
  if (registry_) wl_proxy_destroy(registry_);
  if (display_) {
    wl_display_roundtrip(display_);
    wl_display_disconnect(display_);
  }
}

void VirtualPointer::announce(wl_proxy* registry, unsigned name, const char* interface, unsigned) {
  const std::string which = interface;
  auto* reg = reinterpret_cast<wl_registry*>(registry);
  if (which == "wl_seat" && !seat_) {
    seat_ = static_cast<wl_proxy*>(wl_registry_bind(reg, name, &wl_seat_interface, 1));
  } else if (which == kManagerInterface.name && !manager_) {
    manager_ = static_cast<wl_proxy*>(wl_registry_bind(reg, name, &kManagerInterface, 1));
  }
}

unsigned VirtualPointer::now() const {
  using namespace std::chrono;
  return static_cast<unsigned>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void VirtualPointer::flush() {
  wl_proxy_marshal_flags(pointer_, kFrame, nullptr, 1, 0);
  wl_display_roundtrip(display_);
}

void VirtualPointer::moveTo(int x, int y) {
  if (!ok()) return;
  wl_proxy_marshal_flags(pointer_, kMotionAbsolute, nullptr, 1, 0, now(), static_cast<unsigned>(x),
                         static_cast<unsigned>(y), static_cast<unsigned>(width_), static_cast<unsigned>(height_));
  flush();
}

void VirtualPointer::press(Button button) {
  if (!ok()) return;
  wl_proxy_marshal_flags(pointer_, kButton, nullptr, 1, 0, now(), static_cast<unsigned>(button), 1u);
  flush();
}

void VirtualPointer::release(Button button) {
  if (!ok()) return;
  wl_proxy_marshal_flags(pointer_, kButton, nullptr, 1, 0, now(), static_cast<unsigned>(button), 0u);
  flush();
}

}  // namespace wltest
