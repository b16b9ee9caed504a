// The collector on this machine agrees with what /proc, uname and statvfs say.
#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "sysinfo/MSysInfo.h"
#include "sysinfo/Sources.h"

namespace parvex::sysinfo {
namespace {

// libcups is loaded when the printers are first asked for; a wrong library or
// function name would leave every machine without an answer.
TEST(SysInfoRealMachine, ThePrintSystemIsReachedThroughTheLibraryLoadedOnDemand) {
  EXPECT_TRUE(CupsDestinations().has_value());
}

TEST(SysInfoRealMachine, AgreesWithTheKernel) {
  TMSysInfo info;

  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  long long kilobytes = 0;
  while (meminfo >> key >> kilobytes && key != "MemTotal:") meminfo.ignore(1 << 20, '\n');
  ASSERT_EQ(key, "MemTotal:");
  EXPECT_EQ(info.miTotalPhys(), kilobytes * 1024);
  EXPECT_GT(info.miFreePhys(), 0);
  EXPECT_LE(info.miFreePhys(), info.miTotalPhys());
  EXPECT_GE(info.miFreeMem(), 0);
  EXPECT_LE(info.miFreeMem(), 100);

  EXPECT_EQ(info.cpuNumber(), sysconf(_SC_NPROCESSORS_ONLN));
  EXPECT_EQ(info.miPageSize(), sysconf(_SC_PAGESIZE));

  struct utsname names {};
  ASSERT_EQ(uname(&names), 0);
  int major = -1, minor = -1, build = -1;
  ASSERT_GE(std::sscanf(names.release, "%d.%d.%d", &major, &minor, &build), 2);
  EXPECT_EQ(info.osMajorVersion(), major);
  EXPECT_EQ(info.osMinorVersion(), minor);
  if (build >= 0) {
    EXPECT_EQ(info.osBuildNumber(), build);
  }
  EXPECT_EQ(info.osCSDVersion(), std::string(names.version).substr(0, 128));
  EXPECT_EQ(info.uiComputer(), names.nodename);

  struct statvfs root {};
  ASSERT_EQ(statvfs("/", &root), 0);
  EXPECT_EQ(info.diSign(), 'C');
  EXPECT_EQ(info.diMountPoint(), "/");
  EXPECT_EQ(info.diTotalSpace(), static_cast<std::int64_t>(root.f_blocks * root.f_frsize));
  EXPECT_EQ(info.diTotalClusters(), static_cast<std::int64_t>(root.f_blocks));
  EXPECT_NE(info.diAvailableDisks().find('C'), std::string::npos);
}

}  // namespace
}  // namespace parvex::sysinfo
