// TPageMemory: the result pages fetched in the current run, so that a page
// that a later worksheet asks for again (a competitor's site followed on the
// same keywords) is taken from memory instead of being requested again.
//
// Keyed by engine name and request URL. Holds only pages that analysed as
// result pages (failures are never reused) and at most `budget` bytes of
// keys and pages, the least recently used going first. Thread-safe: the
// workers of a sheet use it at the same time.
#pragma once

#include <cstddef>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace korvan {

class TPageMemory {
 public:
  explicit TPageMemory(std::size_t budget) : budget_(budget) {}
  TPageMemory(const TPageMemory&) = delete;
  TPageMemory& operator=(const TPageMemory&) = delete;

  // Copies the page into `page` and marks it used; false when not held.
  bool Recall(std::string_view engine, std::string_view url, std::string& page);
  // A page larger than the budget is not kept.
  void Keep(std::string_view engine, std::string_view url, std::string page);
  void Clear();
  std::size_t Bytes();

 private:
  struct Entry {
    std::string key;
    std::string page;
  };
  static std::string KeyOf(std::string_view engine, std::string_view url);
  static std::size_t SizeOf(const Entry& entry) { return entry.key.size() + entry.page.size(); }

  const std::size_t budget_;
  std::mutex mutex_;
  std::list<Entry> entries_;  // most recently used first
  std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;  // views of keys
  std::size_t bytes_ = 0;
};

inline constexpr std::size_t kPageMemoryBytes = 64u << 20;

// The pages of the current run; cleared when a run starts.
extern TPageMemory PageMemory;

}  // namespace korvan
