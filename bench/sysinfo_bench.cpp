// The cost of the collector's Refresh, which runs at start-up before the main
// window shows: on this machine, and on a made-up one with 100 mounts
// (partitions, RAM disks and network shares beside the usual ones).
#include <benchmark/benchmark.h>

#include "sysinfo/MSysInfo.h"
#include "tests/sysinfo/FakeMachine.h"

namespace {

using parvex::sysinfo::TMSysInfo;

void BM_RefreshThisMachine(benchmark::State& state) {
  TMSysInfo info;
  for (auto _ : state) {
    info.Refresh();
    benchmark::DoNotOptimize(info.diTotalSpace());
  }
  state.counters["drives"] = info.diDiskCount();
}
BENCHMARK(BM_RefreshThisMachine)->Unit(benchmark::kMillisecond);

void BM_RefreshHundredMounts(benchmark::State& state) {
  parvex::test::FakeMachine machine;
  auto mounts = parvex::test::DefaultMounts();
  for (int i = 0; mounts.size() < 100; ++i) {
    const std::string n = std::to_string(i);
    const std::string id = std::to_string(200 + i) + " 26 ";
    if (i % 3 == 0) {
      const unsigned minor = 16 * (3 + i / 3);  // a disk of its own, with one partition
      machine.BlockDevice("vd" + n, 254, minor, "pci0/virtio" + n);
      machine.BlockDevice("vd" + n + "p1", 254, minor + 1, "pci0/virtio" + n, "vd" + n);
      mounts.push_back(id + "254:" + std::to_string(minor + 1) + " / /srv/disk" + n + " rw - ext4 /dev/vd" + n + "p1 rw");
    } else if (i % 3 == 1) {
      mounts.push_back(id + "0:" + std::to_string(300 + i) + " / /mnt/ram" + n + " rw - tmpfs tmpfs rw");
    } else {
      mounts.push_back(id + "0:" + std::to_string(300 + i) + " / /net/share" + n + " rw - nfs4 server:/export" + n +
                       " rw");
    }
  }
  machine.Mounts(mounts);
  TMSysInfo info(machine.SourcesFor());
  for (auto _ : state) {
    info.Refresh();
    benchmark::DoNotOptimize(info.diTotalSpace());
  }
  state.counters["drives"] = info.diDiskCount();
}
BENCHMARK(BM_RefreshHundredMounts)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
