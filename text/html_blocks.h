// Result-block extraction from an HTML page by an extraction spec, without an
// HTML parser: the page is cut into tag and text pieces by the opening and
// closing patterns, each piece gets its nesting depth, and the blocks at the
// requested depth below the start piece are collected.
// Pure and thread-safe; never throws on any input (what `visit` throws passes
// through).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "text/byte_bound.h"
#include "text/string_list2.h"

namespace korvan {

// Fills `pieces` with the tag and text pieces of `page`, the tag slot holding
// each piece's nesting depth (a blanked stray close is an empty item). The
// pieces are copies. A pattern that begins with the wildcard token matches
// from the start of every piece it cuts, so its pieces repeat the text; a
// cutting pass stops cutting once its pieces add up to BlockBytesBound(page
// size) bytes (the piece being cut loses its rest, later pieces stay uncut).
// REQUIRES: pieces != nullptr, opens.Count() == closes.Count()
void SplitTagPieces(std::string_view page, TStringList* pieces, const TStringList& opens,
                    const TStringList& closes);

// What the extraction met on a page.
enum TExtractOutcome : std::uint8_t {
  eoBlocks,        // one block or more
  eoNoBlock,       // a start piece, but no block below it
  eoNoStartPiece,  // no piece matches the start pattern
  eoUnusableSpec,  // an empty start pattern, or pattern lists of different or zero length
};

// One block as the walk hands it out; its texts live until the visit returns.
struct TBlockView {
  std::string_view Text;
  bool First = false;  // flagged as the first genuine result (at most one block)
  // Set on the blocks that run to the end of the page (an element at the
  // block depth is never closed): each later block is then a suffix of the
  // first such block's text, which Tail holds, so that a search of Tail can
  // serve them all.
  bool RunsToEnd = false;
  std::string_view Tail;
};

// Hands the blocks to visit(block) in page order; visit returns false to end
// the walk. The blocks' bytes are bounded: the block that would take their
// total past BlockBytesBound(page size) ends the walk. The walk keeps one
// block text at a time (when the patterns begin with literals, at most the
// page) and a bit per opening pattern for every element still open, however
// many blocks overlap. `open_list` and `close_list` are comma-separated
// pattern lists.
TExtractOutcome WalkBlocks(std::string_view page, std::string_view open_list,
                           std::string_view close_list, std::string_view start_pattern,
                           std::string_view first_pattern, int depth,
                           const std::function<bool(const TBlockView&)>& visit);

// The blocks of WalkBlocks as a list, tag 1 on the block flagged as the
// first genuine result, 0 on the others; null when there is none. Every
// block is a copy: unclosed elements make the list as large as the byte bound.
std::unique_ptr<TStringList> ExtractBlocks(std::string_view page, std::string_view open_list,
                                           std::string_view close_list,
                                           std::string_view start_pattern,
                                           std::string_view first_pattern, int depth);

}  // namespace korvan
