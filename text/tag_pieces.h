// The cutting of a page into tag and text pieces with their nesting depths,
// handed out one piece at a time over views of the page: nothing of the page
// is copied and no list of pieces is kept, so a stream costs a few words per
// pattern plus one bit per pattern for every element still open. The cut is
// linear in the page size: each pattern cuts the pieces of the one before it
// as they come, and the depth pass keeps the open elements on a stack instead
// of looking back through the pieces.
// Not thread-safe (one stream, one thread); streams of one page on several
// threads are independent. Never throws on any input except std::bad_alloc.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "text/cut_out.h"
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
// The page and both lists must outlive the stream.
// REQUIRES: opens.Count() == closes.Count()
class TTagPieceStream {
 public:
  TTagPieceStream(std::string_view page, const TStringList& opens, const TStringList& closes);

  // The next piece in page order; false after the last one.
  bool Next(TTagPiece& piece);

 private:
  // One cutting pass: it cuts the text pieces of the pass before it.
  struct Pass {
    std::string_view pattern;
    bool exact = false;  // its tag pieces are exactly its matches
    bool cutting = false;
    TSplitKeepCursor cursor;
    std::size_t total = 0;  // bytes of the pieces it has cut
  };

  bool Pull(std::size_t pass, TTagPiece& piece);  // from pass `pass` - 1
  bool OpenMatches(std::size_t depth, int pattern) const;

  std::string_view page_;
  const TStringList& opens_;
  const TStringList& closes_;
  std::size_t budget_;
  bool page_taken_ = false;
  std::vector<Pass> passes_;
  // For every open element, innermost last, which opening patterns its
  // opening tag matches: opens_.Count() bits each.
  std::vector<bool> open_tags_;
  std::size_t depth_ = 0;
};

}  // namespace korvan
