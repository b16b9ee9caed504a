// The small readers of kernel and udev formats, the waiting on slow queries,
// and the reports for scripts.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>

#include "sysinfo/DeadlineQueries.h"
#include "sysinfo/Devices.h"
#include "sysinfo/Drives.h"
#include "sysinfo/Machine.h"
#include "sysinfo/Printers.h"
#include "sysinfo/Report.h"
#include "sysinfo/Volume.h"
#include "tests/sysinfo/FakeMachine.h"

namespace parvex::sysinfo {
namespace {

using std::chrono::milliseconds;

TEST(SysInfoParsers, MountInfoLines) {
  const auto mounts = ParseMountInfo(
      "36 35 98:0 /mnt1 /mnt/My\\040Disk rw,noatime master:1 shared:7 - ext3 /dev/root rw,errors=continue\n"
      "garbage line\n"
      "37 35 0:45 / /x rw - tmpfs\n"  // too short after the separator
      "38 35 0:46 / /y rw - nfs4 srv:/a\\134b\n");
  ASSERT_EQ(mounts.size(), 2u);
  EXPECT_EQ(mounts[0].major, 98u);
  EXPECT_EQ(mounts[0].root, "/mnt1");
  EXPECT_EQ(mounts[0].mountPoint, "/mnt/My Disk");
  EXPECT_EQ(mounts[0].fileSystem, "ext3");
  EXPECT_EQ(mounts[0].source, "/dev/root");
  EXPECT_EQ(mounts[0].superOptions, "rw,errors=continue");
  EXPECT_EQ(mounts[1].source, "srv:/a\\b");
  EXPECT_EQ(mounts[1].superOptions, "");
}

TEST(SysInfoParsers, SerialsLabelsAndShareAddresses) {
  EXPECT_EQ(SerialFromUuid("1234-ABCD"), 0x1234ABCDu);           // FAT, exFAT
  EXPECT_EQ(SerialFromUuid("0123456789ABCDEF"), 0x89ABCDEFu);    // NTFS: its low half
  EXPECT_EQ(SerialFromUuid("0fb3d2c5-8e4b-4c4a-9a7e-2c1f7d3e9b10"), 0x0FB3D2C5u);
  EXPECT_EQ(SerialFromUuid(""), 0u);
  EXPECT_EQ(SerialFromUuid("not-a-uuid"), 0u);
  EXPECT_EQ(UnescapeUdevName("My\\x20Disk\\x2fA"), "My Disk/A");
  EXPECT_EQ(UnescapeUdevName("Odd\\x2"), "Odd\\x2");
  EXPECT_EQ(GvfsShareAddress("smb-share:server=srv,share=data,user=ann"), "smb://ann@srv/data");
  EXPECT_EQ(GvfsShareAddress("dav:host=h,port=8443,ssl=true,prefix=%2Fremote.php"), "davs://h:8443/remote.php");
  EXPECT_EQ(GvfsShareAddress("afp-volume:host=mac,volume=Share"), "afp://mac/Share");
  EXPECT_EQ(GvfsShareAddress("plainname"), "plainname");
}

TEST(SysInfoParsers, EdidNameAndMakerCode) {
  EXPECT_EQ(MonitorNameFromEdid(test::Edid("DELL U2415")), "DELL U2415");
  EXPECT_EQ(MonitorNameFromEdid(test::Edid("ABCDEFGHIJKLM")), "ABCDEFGHIJKLM");  // 13 characters, no line end
  EXPECT_EQ(MonitorNameFromEdid(test::Edid("")), "DEL A0C2");
  std::string edid = test::Edid("X");
  EXPECT_EQ(MonitorNameFromEdid(edid.substr(0, 127)), "");  // truncated
  edid[0] = 1;
  EXPECT_EQ(MonitorNameFromEdid(edid), "");  // bad header
}

TEST(SysInfoParsers, OsReleaseQuotingAndKernelCodes) {
  EXPECT_EQ(OsReleaseValue("A=1\nPRETTY_NAME=\"Say \\\"hi\\\"\"\n", "PRETTY_NAME"), "Say \"hi\"");
  EXPECT_EQ(OsReleaseValue("PRETTY_NAME=Bare\n", "PRETTY_NAME"), "Bare");
  EXPECT_EQ(OsReleaseValue("XPRETTY_NAME=no\n", "PRETTY_NAME"), std::nullopt);
  EXPECT_EQ(ArchitectureCode("mips64"), 1);
  EXPECT_EQ(ArchitectureCode("alpha"), 2);
  EXPECT_EQ(ArchitectureCode("ppc64le"), 3);
  EXPECT_EQ(ArchitectureCode("armv7l"), 5);
  EXPECT_EQ(ArchitectureCode("ia64"), 6);
  EXPECT_EQ(ArchitectureCode("riscv64"), 65535);
  EXPECT_EQ(TMSysInfo::ArchitectureName(65535), "?");
  EXPECT_EQ(TMSysInfo::ArchitectureName(3), "PPC");
  EXPECT_EQ(TMSysInfo::ProcessorTypeName(686), "Klamath");
  EXPECT_EQ(TMSysInfo::ProcessorTypeName(21064), "Alpha 21064");
  EXPECT_EQ(TMSysInfo::PlatformName(1), "MS Windows 95");
  EXPECT_EQ(TMSysInfo::PlatformName(3), "?");
}

TEST(SysInfoParsers, PrinterChoice) {
  EXPECT_EQ(ChoosePrinter({}), "?");
  EXPECT_EQ(ChoosePrinter({{"a", "", false}, {"b", "Big One", true}}), "Big One");
  EXPECT_EQ(ChoosePrinter({{"a", "", false}, {"b", "", false}}), "a");
}

TEST(SysInfoDeadlines, AnswersHangsAndStaleAnswers) {
  const auto deadline = milliseconds(150);
  DeadlineQueries<int> queries(deadline);
  EXPECT_EQ(queries.Get("quick", [] { return std::optional(7); }), 7);
  EXPECT_EQ(queries.Get("failing", [] { return std::optional<int>(); }), std::nullopt);
  EXPECT_EQ(queries.Get("throwing", []() -> std::optional<int> { throw std::runtime_error("x"); }), std::nullopt);

  auto gate = std::make_shared<std::promise<void>>();
  auto open = gate->get_future().share();
  auto calls = std::make_shared<std::atomic<int>>(0);
  const auto stuck = [open, calls] {
    ++*calls;
    open.wait();
    return std::optional(1);
  };
  EXPECT_EQ(queries.Get("stuck", stuck), std::nullopt);
  EXPECT_TRUE(queries.Hanging("stuck"));
  EXPECT_EQ(queries.Get("stuck", stuck), std::nullopt);
  queries.Start("stuck", stuck);
  EXPECT_EQ(calls->load(), 1);  // one thread for it, however often it is asked
  gate->set_value();
  std::this_thread::sleep_for(deadline / 3);
  EXPECT_FALSE(queries.Hanging("stuck"));
  EXPECT_EQ(queries.Get("stuck", stuck), 1);  // the late answer is old: asked again
  EXPECT_EQ(calls->load(), 2);

  // A fresh answer from Start is handed out once; the next Get asks again.
  auto counter = std::make_shared<std::atomic<int>>(0);
  const auto count = [counter] { return std::optional(++*counter); };
  queries.Start("count", count);
  queries.Start("count", count);
  EXPECT_EQ(queries.Get("count", count), 1);
  EXPECT_EQ(queries.Get("count", count), 2);
}

// An answer that came in time may be collected after the deadline has passed
// (the caller waited for Waiting() to end) without a second query; a query
// still running within its deadline is Waiting, one past it Hanging.
TEST(SysInfoDeadlines, AnswerInTimeStaysFreshPastTheDeadline) {
  const auto deadline = milliseconds(900);
  DeadlineQueries<int> queries(deadline);
  auto gate = std::make_shared<std::promise<void>>();
  auto open = gate->get_future().share();
  auto calls = std::make_shared<std::atomic<int>>(0);
  const auto slow = [open, calls] {
    ++*calls;
    open.wait();
    return std::optional(5);
  };
  queries.Start("slow", slow);
  EXPECT_TRUE(queries.Waiting("slow"));
  EXPECT_FALSE(queries.Hanging("slow"));
  EXPECT_FALSE(queries.Waiting("other"));
  std::this_thread::sleep_for(deadline / 3);
  gate->set_value();
  // Past its deadline (at 3/3 + 1/6), but not a deadline past its answer (at 1/3).
  std::this_thread::sleep_for(deadline * 5 / 6);
  EXPECT_FALSE(queries.Waiting("slow"));
  EXPECT_EQ(queries.Get("slow", slow), 5);
  EXPECT_EQ(calls->load(), 1);
}

TEST(SysInfoReport, TextAndJson) {
  test::FakeMachine machine;
  machine.Link("/dev/disk/by-label/Say\\x20\"hi\"\\x0a\\xff", "../../sdb1");
  machine.Remove("/dev/disk/by-label/STICK");
  TMSysInfo info(machine.SourcesFor());
  const std::string text = TextReport(info, "CE");
  EXPECT_EQ(text.rfind("About = TMSysInfo", 0), 0u);
  EXPECT_NE(text.find("\nmiTotalPhys = 25769803776\n"), std::string::npos);
  EXPECT_NE(text.find("\ndiDiskCount = 6\ndiSign = C\ndiFreeSpace = 81920000000\n"), std::string::npos);
  EXPECT_NE(text.find("\ndiMountPoint = /\ndiSign = E\n"), std::string::npos);
  EXPECT_NE(text.find("\ndiVolumeLabel = Say \"hi\"?\xff\n"), std::string::npos);
  EXPECT_NE(text.find("\ndiMountPoint = /media/ann/STICK\ndiAvailableDisks = ACDEFG\n"), std::string::npos);
  EXPECT_EQ(info.diSign(), 'E');  // the report selects each drive it describes

  const std::string json = JsonReport(info, "CE");
  EXPECT_EQ(json.rfind("{\n  \"About\": \"TMSysInfo", 0), 0u);
  EXPECT_NE(json.find("\n  \"cpuNumber\": 2,\n"), std::string::npos);
  EXPECT_NE(json.find("\n  \"diDiskCount\": 6,\n  \"drives\": [\n    {\n      \"diSign\": \"C\",\n"), std::string::npos);
  EXPECT_NE(json.find("\"diCompressed\": false,"), std::string::npos);
  EXPECT_NE(json.find("\"diVolumeLabel\": \"Say \\\"hi\\\"\\u000a\\ufffd\","), std::string::npos);
  EXPECT_NE(json.find("\n    },\n    {\n      \"diSign\": \"E\","), std::string::npos);
  EXPECT_NE(json.find("\"diMountPoint\": \"/media/ann/STICK\"\n    }\n  ],\n  \"diAvailableDisks\": \"ACDEFG\"\n}\n"),
            std::string::npos);
  EXPECT_NE(JsonReport(info, "").find("\"drives\": [],\n  \"diAvailableDisks\""), std::string::npos);

  EXPECT_EQ(JsonString("caf\xc3\xa9 \xe2\x82\xac"), "\"caf\xc3\xa9 \xe2\x82\xac\"");
  EXPECT_EQ(JsonString("\xc0\x80\xed\xa0\x80\xe2\x82"), "\"\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\"");
  EXPECT_EQ(JsonString("tab\there\\"), "\"tab\\u0009here\\\\\"");
}

}  // namespace
}  // namespace parvex::sysinfo
