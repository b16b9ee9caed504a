// A list of file names held compactly, for the lists of hundreds of thousands
// of names that a backup of a large tree takes. Names are added at the end and
// read back in order; each is kept as the length it shares with the name before
// it and the bytes that follow, so that the names of one directory cost little
// more than their own last components.
//
// Thread safety: adding needs the list to itself; once complete, any number of
// cursors may read it from any threads at the same time.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace parvex {

class NameList {
 public:
  NameList() = default;
  // Lists of names convert where a NameList is asked for.
  NameList(const std::vector<std::string>& names);  // NOLINT(google-explicit-constructor)
  NameList(std::initializer_list<std::string> names);  // NOLINT(google-explicit-constructor)

  void Add(std::string_view name);
  std::size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  // Returns memory the list reserved for growth; call once it is complete.
  void Compact() { data_.shrink_to_fit(); }
  // Bytes held (for the tests).
  std::size_t Bytes() const { return data_.capacity() + last_.capacity(); }

  // Reads the names in order.
  class Cursor {
   public:
    explicit Cursor(const NameList& list) : list_(&list) {}
    // The next name, valid until the next call; false after the last one.
    bool Next();
    const std::string& Name() const { return name_; }

   private:
    const NameList* list_;
    std::size_t at_ = 0;  // in the list's bytes
    std::string name_;
  };

 private:
  std::string data_;  // per name: shared length, suffix length (both LEB128), suffix
  std::string last_;
  std::size_t size_ = 0;
};

}  // namespace parvex
