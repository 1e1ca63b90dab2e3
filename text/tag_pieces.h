// The cutting of a page into tag and text pieces with their nesting depths,
// over views of the page: nothing of the page is copied, so a page of any
// size costs a few words per piece. The cut is linear in the page size:
// every cutting pass appends into a new vector, and the depth pass keeps a
// stack of open elements instead of looking back through the pieces.
// Pure and thread-safe; never throws on any input except std::bad_alloc.
#pragma once

#include <string_view>
#include <vector>

#include "text/string_list2.h"

namespace korvan {

struct TTagPiece {
  std::string_view Text;  // a view into the page; empty for a stray close
  int Depth = 0;
  bool Tag = false;  // one whole match of an opening or closing pattern
};

// Cuts `page` by every closing pattern, then every opening pattern, and gives
// each piece its depth: a text piece the current depth; an opening tag the
// current depth, after which the depth grows by one; a closing tag that pairs
// with the innermost open element's opening pattern the depth of that opening
// tag; any other closing tag is a stray, blanked, at the current depth.
// A pattern that begins with the wildcard token matches from the start of the
// piece it cuts, so its pieces overlap; a cutting pass stops cutting once its
// pieces add up to BlockBytesBound(page size) (the piece being cut loses its
// rest, later pieces stay uncut), which keeps every later scan bounded.
// REQUIRES: opens.Count() == closes.Count()
std::vector<TTagPiece> CutTagPieces(std::string_view page, const TStringList& opens,
                                    const TStringList& closes);

}  // namespace korvan
