// The shared string table a workbook is saved with: every string of the
// workbook as it was read, in its place, then each new text once, in the
// order they were first added. An index, once given, never changes, so the
// cells written with it stay right through later saves.
//
// Views the entries it was built from; they must outlive it. Not thread-safe.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/workbook/xls_sst.h"

namespace korvan::xls {

class SstBuilder {
 public:
  explicit SstBuilder(const std::vector<SstEntry>& old);
  SstBuilder(const SstBuilder&) = delete;
  SstBuilder& operator=(const SstBuilder&) = delete;

  // The index of a plain string with this text, added if there is none yet.
  std::uint32_t Add(const std::u16string& text);
  const std::vector<const SstEntry*>& Entries() const { return entries_; }

 private:
  std::vector<const SstEntry*> entries_;
  std::deque<SstEntry> added_;                                    // stable addresses
  std::unordered_map<std::u16string_view, std::uint32_t> plain_;  // views into the entries
};

}  // namespace korvan::xls
