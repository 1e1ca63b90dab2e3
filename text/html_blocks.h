// Result-block extraction from an HTML page by an extraction spec, without an
// HTML parser: the page is cut into tag and text pieces by the opening and
// closing patterns, each piece gets its nesting depth, and the blocks at the
// requested depth below the start piece are collected.
// Pure and thread-safe; never throws on any input.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>

#include "text/string_list2.h"

namespace korvan {

// The total bytes of the blocks taken from one page are bounded: collecting
// stops once this many bytes (or kBlockBytesPageFactor times the page size,
// whichever is larger) have been taken. The block that would take the total
// past the bound is dropped, so the blocks returned never exceed it. Unclosed
// elements make every block run to the end of the page, which without the
// bound grows with the square of the page.
inline constexpr std::size_t kBlockBytesFloor = 64u << 20;
inline constexpr std::size_t kBlockBytesPageFactor = 16;

inline std::size_t BlockBytesBound(std::size_t page_size) {
  return std::max(kBlockBytesFloor, kBlockBytesPageFactor * page_size);
}

// Fills `pieces` with the tag and text pieces of `page`, the tag slot holding
// each piece's nesting depth (a blanked stray close is an empty item). The
// pieces are copies. A pattern that begins with the wildcard token matches
// from the start of every piece it cuts, so its pieces repeat the text; a
// cutting pass stops cutting once its pieces add up to BlockBytesBound(page
// size) bytes (the piece being cut loses its rest, later pieces stay uncut).
// REQUIRES: pieces != nullptr, opens.Count() == closes.Count()
void SplitTagPieces(std::string_view page, TStringList* pieces, const TStringList& opens,
                    const TStringList& closes);

// Returns the blocks in page order, tag 1 on the block flagged as the first
// genuine result (at most one), 0 on the others; null when nothing is found
// (empty start pattern, unusable pattern lists, no start piece, no block).
// `open_list` and `close_list` are comma-separated pattern lists.
std::unique_ptr<TStringList> ExtractBlocks(std::string_view page, std::string_view open_list,
                                           std::string_view close_list,
                                           std::string_view start_pattern,
                                           std::string_view first_pattern, int depth);

}  // namespace korvan
