// The replaced operator new and delete behind AllocationMeter: malloc and free,
// with the usable size of every block added to or taken from a running count.
#include "tests/support/AllocationMeter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};
std::atomic<std::size_t> gLargest{0};

void Raise(std::atomic<std::size_t>& mark, std::size_t value) {
  std::size_t seen = mark.load(std::memory_order_relaxed);
  while (value > seen && !mark.compare_exchange_weak(seen, value, std::memory_order_relaxed)) {
  }
}

void* Allocate(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) return nullptr;
  const std::size_t held = malloc_usable_size(p);
  Raise(gPeak, gLive.fetch_add(held, std::memory_order_relaxed) + held);
  Raise(gLargest, n);
  return p;
}

void Release(void* p) {
  if (!p) return;
  gLive.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

namespace parvex::test {

AllocationMeter::AllocationMeter() : start_(gLive.load()) {
  gPeak.store(start_);
  gLargest.store(0);
}

std::size_t AllocationMeter::Peak() const { return gPeak.load() - start_; }
std::size_t AllocationMeter::Largest() const { return gLargest.load(); }

}  // namespace parvex::test

void* operator new(std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
