// Counts the heap memory the test program holds, so that a test can bound
// what an operation allocates, whatever lengths a set claims. The test
// program's operator new and delete are replaced to keep the count.
#pragma once

#include <cstddef>

namespace parvex::test {

class AllocationMeter {
 public:
  AllocationMeter();  // measures from now on
  AllocationMeter(const AllocationMeter&) = delete;
  AllocationMeter& operator=(const AllocationMeter&) = delete;
  // The most bytes held at once since the meter started, beyond what was held then.
  std::size_t Peak() const;
  // The largest single allocation since the meter started.
  std::size_t Largest() const;

 private:
  std::size_t start_;
};

}  // namespace parvex::test
