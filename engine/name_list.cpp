// The compact name list: each name after the first as the length of the part it
// shares with the one before and the rest of its bytes.
#include "engine/name_list.h"

#include <algorithm>

namespace parvex {
namespace {

void PutLength(std::string& out, std::size_t n) {
  while (n >= 0x80) {
    out.push_back(static_cast<char>(0x80 | (n & 0x7F)));
    n >>= 7;
  }
  out.push_back(static_cast<char>(n));
}

std::size_t GetLength(const std::string& in, std::size_t& at) {
  std::size_t n = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(in[at++]);
    n |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if (byte < 0x80) return n;
  }
}

}  // namespace

NameList::NameList(const std::vector<std::string>& names) {
  for (const std::string& name : names) Add(name);
  Compact();
}

NameList::NameList(std::initializer_list<std::string> names) {
  for (const std::string& name : names) Add(name);
  Compact();
}

void NameList::Add(std::string_view name) {
  const std::size_t limit = std::min(name.size(), last_.size());
  const std::size_t shared =
      static_cast<std::size_t>(std::mismatch(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(limit),
                                             last_.begin()).first - name.begin());
  PutLength(data_, shared);
  PutLength(data_, name.size() - shared);
  data_.append(name.substr(shared));
  last_.assign(name);
  ++size_;
}

bool NameList::Cursor::Next() {
  const std::string& data = list_->data_;
  if (at_ >= data.size()) return false;
  const std::size_t shared = GetLength(data, at_);
  const std::size_t rest = GetLength(data, at_);
  name_.resize(shared);
  name_.append(data, at_, rest);
  at_ += rest;
  return true;
}

}  // namespace parvex
