// Whether a path lies on removable media, from the kernel's view of block
// devices (sysfs) and of mounts (/proc/self/mountinfo). The pieces take their
// roots and texts as parameters so that tests can hand them a fake tree.
#pragma once

#include <string>

namespace parvex::platform::detail {

// True when the block device major:minor, as described under `sysRoot`
// (normally "/sys"), is removable: the whole disk holding it reports
// removable = 1, sits below a USB bus, or (for device-mapper and md devices) is
// built on such a disk. False when anything cannot be found out.
bool IsRemovableBlockDevice(const std::string& sysRoot, unsigned major, unsigned minor);

// True when `sysRoot` describes the block device major:minor at all.
bool HasBlockDevice(const std::string& sysRoot, unsigned major, unsigned minor);

// The source (such as "/dev/sdb1") of the first mount in `mountinfo` (the text
// of /proc/self/mountinfo) whose device is major:minor; "" when there is none.
std::string MountSourceFor(const std::string& mountinfo, unsigned major, unsigned minor);

// The whole question for a real path on this machine.
bool IsRemovablePath(const std::string& path);

}  // namespace parvex::platform::detail
