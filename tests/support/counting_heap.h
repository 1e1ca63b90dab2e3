// Counts the live and the peak heap bytes of the whole program by replacing
// the global operator new and delete. Include it in exactly one source file
// of a test or benchmark executable. Thread-safe.
#pragma once

#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace korvan::testing {

inline std::atomic<std::size_t> HeapLiveBytes{0};
inline std::atomic<std::size_t> HeapPeakBytes{0};

// Starts a new peak at the bytes live now, and returns them.
inline std::size_t RestartHeapPeak() {
  const std::size_t live = HeapLiveBytes.load();
  HeapPeakBytes.store(live);
  return live;
}

inline void* CountedAllocate(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  const std::size_t now = HeapLiveBytes += malloc_usable_size(p);
  std::size_t peak = HeapPeakBytes.load();
  while (now > peak && !HeapPeakBytes.compare_exchange_weak(peak, now)) {
  }
  return p;
}

inline void CountedRelease(void* p) {
  if (p == nullptr) return;
  HeapLiveBytes -= malloc_usable_size(p);
  std::free(p);
}

}  // namespace korvan::testing

void* operator new(std::size_t size) { return korvan::testing::CountedAllocate(size); }
void* operator new[](std::size_t size) { return korvan::testing::CountedAllocate(size); }
void operator delete(void* p) noexcept { korvan::testing::CountedRelease(p); }
void operator delete[](void* p) noexcept { korvan::testing::CountedRelease(p); }
void operator delete(void* p, std::size_t) noexcept { korvan::testing::CountedRelease(p); }
void operator delete[](void* p, std::size_t) noexcept { korvan::testing::CountedRelease(p); }
