#include "text/html_blocks.h"

#include <cassert>
#include <string>

#include "text/tag_pieces.h"
#include "text/wildcard.h"

namespace korvan {
namespace {

std::unique_ptr<TStringList2> SplitAtComma(std::string_view list) {
  auto items = std::make_unique<TStringList2>();
  items->SetDelimiterStr(",");
  items->SetDelimitedStr(list);
  return items;
}

// Walks the pieces from the start piece and hands out the blocks below
// `base` within the byte budget. A depth only changes by one from piece to
// piece, and the close that brings it back to `base` carries `base` itself;
// so a block, from its first deeper piece k, runs over deeper pieces only, up
// to the next piece at `base`, or to the end of the page.
class BlockWalker {
 public:
  BlockWalker(std::string_view page, const TStringList& opens, const TStringList& closes,
              std::string_view first_pattern, const std::function<bool(const TBlockView&)>& visit)
      : page_(page),
        opens_(opens),
        closes_(closes),
        first_pattern_(first_pattern),
        visit_(visit),
        budget_(BlockBytesBound(page.size())) {}

  TExtractOutcome Walk(std::string_view start_pattern, int depth);

 private:
  // The flag goes to the first block whose opening piece (the one before its
  // first deeper piece) matches the first-result pattern.
  bool TakeFlag(const TTagPiece* opening) {
    if (first_pattern_.empty() || flagged_ || opening == nullptr) return false;
    return flagged_ = IsWildMatch(opening->Text, first_pattern_);
  }

  bool Fits(std::size_t size) const { return size <= budget_ - total_; }

  // False when the walk ends here: the block does not fit, or visit said so.
  bool Hand(const TBlockView& block) {
    if (!Fits(block.Text.size())) return false;
    total_ += block.Text.size();
    ++count_;
    return visit_(block);
  }

  void HandTail(std::size_t k, std::size_t n, bool flag);

  std::string_view page_;
  const TStringList& opens_;
  const TStringList& closes_;
  std::string_view first_pattern_;
  const std::function<bool(const TBlockView&)>& visit_;
  std::size_t budget_;
  std::size_t total_ = 0;
  std::size_t count_ = 0;
  bool flagged_ = false;
  std::string text_;  // the text of the block being collected
};

TExtractOutcome BlockWalker::Walk(std::string_view start_pattern, int depth) {
  TTagPieceStream pieces(page_, opens_, closes_);
  TTagPiece piece, previous;
  bool has_previous = false;
  std::size_t index = 0;  // of `piece`
  bool found = false;
  while (pieces.Next(piece)) {
    if (IsWildMatch(piece.Text, start_pattern)) {
      found = true;
      break;
    }
    previous = piece;
    has_previous = true;
    ++index;
  }
  if (!found) return eoNoStartPiece;
  const std::int64_t base = static_cast<std::int64_t>(piece.Depth) + depth;
  text_.reserve(page_.size());  // pages are not touched before they are written
  bool more = true;
  while (more) {
    if (piece.Depth <= base) {
      previous = piece;
      has_previous = true;
      ++index;
      more = pieces.Next(piece);
      continue;
    }
    const std::size_t k = index;
    const bool flag = TakeFlag(has_previous ? &previous : nullptr);
    text_.assign(has_previous ? previous.Text : std::string_view());
    bool closed = false;
    for (;;) {
      text_.append(piece.Text);
      if (!Fits(text_.size())) return count_ > 0 ? eoBlocks : eoNoBlock;
      if (piece.Depth <= base) {
        closed = true;
        break;
      }
      if (!pieces.Next(piece)) break;
      ++index;
    }
    if (!closed) {
      HandTail(k, index + 1, flag);
      break;
    }
    if (!Hand(TBlockView{text_, flag, false, {}})) break;
    // The piece at `base` that ended the block is passed over next.
  }
  return count_ > 0 ? eoBlocks : eoNoBlock;
}

// No piece at `base` follows k: the block from k runs to the end of the
// page, and so does one from every later piece, each the text from the piece
// before it on; `text_` holds the first of them. The pieces are cut again to
// find where each later block begins.
void BlockWalker::HandTail(std::size_t k, std::size_t n, bool flag) {
  const std::string_view tail = text_;
  if (!Hand(TBlockView{tail, flag, true, tail})) return;
  TTagPieceStream pieces(page_, opens_, closes_);
  TTagPiece piece;
  const std::size_t first = k == 0 ? 0 : k - 1;  // the piece the tail begins with
  for (std::size_t i = 0; i < first; ++i) pieces.Next(piece);
  std::size_t offset = 0;  // of the next piece in the tail
  if (k > 0) {
    pieces.Next(piece);
    offset += piece.Text.size();
  }
  for (std::size_t j = k + 1; j < n; ++j) {
    pieces.Next(piece);  // piece j - 1, which block j begins with
    const bool first_result = TakeFlag(&piece);
    if (!Hand(TBlockView{tail.substr(offset), first_result, true, tail})) return;
    offset += piece.Text.size();
  }
}

}  // namespace

void SplitTagPieces(std::string_view page, TStringList* pieces, const TStringList& opens,
                    const TStringList& closes) {
  assert(pieces != nullptr);
  assert(opens.Count() == closes.Count());
  pieces->Clear();
  TTagPieceStream stream(page, opens, closes);
  TTagPiece piece;
  while (stream.Next(piece)) pieces->Add(std::string(piece.Text), piece.Depth);
}

TExtractOutcome WalkBlocks(std::string_view page, std::string_view open_list,
                           std::string_view close_list, std::string_view start_pattern,
                           std::string_view first_pattern, int depth,
                           const std::function<bool(const TBlockView&)>& visit) {
  if (start_pattern.empty()) return eoUnusableSpec;
  const auto opens = SplitAtComma(open_list);
  const auto closes = SplitAtComma(close_list);
  if (opens->Count() != closes->Count() || opens->Count() == 0) return eoUnusableSpec;
  BlockWalker walker(page, *opens, *closes, first_pattern, visit);
  return walker.Walk(start_pattern, depth);
}

std::unique_ptr<TStringList> ExtractBlocks(std::string_view page, std::string_view open_list,
                                           std::string_view close_list,
                                           std::string_view start_pattern,
                                           std::string_view first_pattern, int depth) {
  auto blocks = std::make_unique<TStringList>();
  WalkBlocks(page, open_list, close_list, start_pattern, first_pattern, depth,
             [&](const TBlockView& block) {
               blocks->Add(std::string(block.Text), block.First ? 1 : 0);
               return true;
             });
  if (blocks->Empty()) return nullptr;
  return blocks;
}

}  // namespace korvan
