// The display adapter, the monitor, the pointing device and the sound card,
// from sysfs, /proc/bus/input and /proc/asound below a root directory.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace parvex::sysinfo {

// The kernel driver of the first graphics card (/sys/class/drm/cardN), with
// its vendor and device names where the PCI id list names them
// ("i915: Intel Corporation HD Graphics 620"); "?" when there is none.
std::string DisplayDevice(const std::string& root);

// The monitor of the first connected display that has an EDID; "?" when none.
std::string MonitorName(const std::string& root);

// The name in an EDID block: its monitor name descriptor (0xFC), else the
// maker's id and product code ("DEL A0C2"); "" when the block is no EDID.
std::string MonitorNameFromEdid(std::string_view edid);

// The first input device with a mouse handler; "?" when none.
std::string MouseName(const std::string& root);

// The first ALSA card and its devices. Each device text is its name, " v" and
// the ALSA version's major.minor, empty when the card has no such device.
struct SoundFacts {
  bool alsa = false;                   // /proc/asound exists
  std::optional<std::string> card;     // the first card's long name; nullopt without a card
  std::string waveOut, waveIn, midiOut, midiIn, mixer;
};
SoundFacts ReadSound(const std::string& root);

}  // namespace parvex::sysinfo
