#include "query/page_memory.h"

namespace korvan {

TPageMemory PageMemory(kPageMemoryBytes);

std::string TPageMemory::KeyOf(std::string_view engine, std::string_view url) {
  std::string key(engine);
  key += '\n';  // neither an engine name nor a URL holds a line break
  key += url;
  return key;
}

bool TPageMemory::Recall(std::string_view engine, std::string_view url, std::string& page) {
  const std::string key = KeyOf(engine, url);
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = index_.find(key);
  if (found == index_.end()) return false;
  entries_.splice(entries_.begin(), entries_, found->second);
  page = found->second->page;
  return true;
}

void TPageMemory::Keep(std::string_view engine, std::string_view url, std::string page) {
  Entry entry{KeyOf(engine, url), std::move(page)};
  const std::size_t size = SizeOf(entry);
  std::lock_guard<std::mutex> lock(mutex_);
  if (auto found = index_.find(entry.key); found != index_.end()) {
    const auto old = found->second;
    index_.erase(found);
    bytes_ -= SizeOf(*old);
    entries_.erase(old);
  }
  if (size > budget_) return;
  while (bytes_ + size > budget_) {
    bytes_ -= SizeOf(entries_.back());
    index_.erase(entries_.back().key);
    entries_.pop_back();
  }
  entries_.push_front(std::move(entry));
  index_.emplace(entries_.front().key, entries_.begin());
  bytes_ += size;
}

void TPageMemory::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  index_.clear();
  entries_.clear();
  bytes_ = 0;
}

std::size_t TPageMemory::Bytes() {
  std::lock_guard<std::mutex> lock(mutex_);
  return bytes_;
}

}  // namespace korvan
