#include "platform/workbook/xls_sst_builder.h"

namespace korvan::xls {

SstBuilder::SstBuilder(const std::vector<SstEntry>& old) {
  entries_.reserve(old.size());
  for (const SstEntry& entry : old) {
    if (entry.runs.empty() && entry.phonetic.empty()) {
      plain_.emplace(entry.text, static_cast<std::uint32_t>(entries_.size()));
    }
    entries_.push_back(&entry);
  }
}

std::uint32_t SstBuilder::Add(const std::u16string& text) {
  const auto found = plain_.find(text);
  if (found != plain_.end()) return found->second;
  added_.push_back(SstEntry{text, {}, {}});
  const auto index = static_cast<std::uint32_t>(entries_.size());
  entries_.push_back(&added_.back());
  plain_.emplace(added_.back().text, index);
  return index;
}

}  // namespace korvan::xls
