// What the engine tells whoever it asks for a further volume of a set: the
// volume's number and file name, whether it is to be written or read, and for
// reading whether it is already there and how often it was asked for. The
// engine never words the question; each presentation (window, command line)
// does that in its own way.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace parvex {

enum TVolumePurpose : std::uint8_t { vpWrite = 0, vpRead = 1 };

struct TVolumeRequest {
  TVolumePurpose purpose = vpRead;
  unsigned volume = 2;        // 2, 3, ... counted through the set (not wrapped)
  std::uint16_t diskId = 2;   // the number as OnNeedDisk receives it
  std::string fileName;       // the volume's file: to be created, or looked for
  int attempt = 1;            // reading: 1 for the first question, then 2, 3 ... while it is absent
  bool present = false;       // reading: the file exists at the moment of asking
};

// The presentation's answer: true to go on (having brought the volume, where it
// had to), false to stop the operation in an orderly way.
using TVolumeAsker = std::function<bool(const TVolumeRequest& request)>;

// How often a volume that stays absent is asked for before the operation gives
// up with an error: a handler that neither stops nor brings the volume would
// otherwise be asked for ever.
inline constexpr int kMaxVolumeRequests = 100;

}  // namespace parvex
