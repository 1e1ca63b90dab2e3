#include "text/html_blocks.h"

#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

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

// Collects the blocks below `base`, in page order, within a byte budget.
class BlockCollector {
 public:
  BlockCollector(const std::vector<TTagPiece>& pieces, std::string_view first_pattern,
                 std::size_t budget)
      : pieces_(pieces), first_pattern_(first_pattern), budget_(budget) {}

  // Walks from the start piece; stops at the first block past the budget.
  void Walk(std::size_t start, std::int64_t base);

  std::unique_ptr<TStringList> Take() {
    if (blocks_->Empty()) return nullptr;
    return std::move(blocks_);
  }

 private:
  // The flag goes to the first block whose opening piece (the one before its
  // first deeper piece) matches the first-result pattern.
  bool TakeFlag(std::size_t k) {
    if (first_pattern_.empty() || flagged_ || k == 0) return false;
    return flagged_ = IsWildMatch(pieces_[k - 1].Text, first_pattern_);
  }

  bool Fits(std::size_t size) const { return size <= budget_ - total_; }

  void Add(std::string text, bool flag) {
    total_ += text.size();
    blocks_->Add(std::move(text), flag ? 1 : 0);
  }

  std::size_t Size(std::size_t from, std::size_t to) const;  // of pieces [from, to)
  std::string Join(std::size_t from, std::size_t to, std::size_t size) const;
  void TakeTail(std::size_t k);

  const std::vector<TTagPiece>& pieces_;
  std::string_view first_pattern_;
  std::size_t budget_;
  std::size_t total_ = 0;
  bool flagged_ = false;
  std::unique_ptr<TStringList> blocks_ = std::make_unique<TStringList>();
};

std::size_t BlockCollector::Size(std::size_t from, std::size_t to) const {
  std::size_t size = 0;
  for (std::size_t i = from; i < to; ++i) size += pieces_[i].Text.size();
  return size;
}

std::string BlockCollector::Join(std::size_t from, std::size_t to, std::size_t size) const {
  std::string text;
  text.reserve(size);
  for (std::size_t i = from; i < to; ++i) text.append(pieces_[i].Text);
  return text;
}

// A depth only changes by one from piece to piece, and the close that brings
// it back to `base` carries `base` itself; so a block, from its first deeper
// piece k, runs over deeper pieces only, up to the next piece at `base`.
void BlockCollector::Walk(std::size_t start, std::int64_t base) {
  const std::size_t n = pieces_.size();
  std::size_t i = start;
  while (i < n) {
    if (pieces_[i].Depth <= base) {
      ++i;
      continue;
    }
    const std::size_t k = i;
    std::size_t end = k;
    while (end < n && pieces_[end].Depth > base) ++end;
    if (end == n) {
      TakeTail(k);
      return;
    }
    const bool flag = TakeFlag(k);
    const std::size_t first = k == 0 ? 0 : k - 1;
    const std::size_t size = Size(first, end + 1);
    if (!Fits(size)) return;
    Add(Join(first, end + 1, size), flag);
    i = end;  // passed over: it is at `base`
  }
}

// No piece at `base` follows k: the block from k runs to the end of the page,
// and so does one from every later piece, each the text from the piece before
// it on. They are the suffixes of one text, built once.
void BlockCollector::TakeTail(std::size_t k) {
  const std::size_t n = pieces_.size();
  const std::size_t first = k == 0 ? 0 : k - 1;
  std::vector<std::size_t> offset(n - first + 1, 0);
  for (std::size_t i = first; i < n; ++i) {
    offset[i - first + 1] = offset[i - first] + pieces_[i].Text.size();
  }
  const std::size_t tail_size = offset[n - first];
  if (!Fits(tail_size)) return;  // not even the first block fits
  const std::string tail = Join(first, n, tail_size);
  for (std::size_t j = k; j < n; ++j) {
    const std::size_t from = j == 0 ? 0 : j - 1 - first;
    const bool flag = TakeFlag(j);
    if (!Fits(tail_size - offset[from])) return;
    Add(tail.substr(offset[from]), flag);
  }
}

}  // namespace

void SplitTagPieces(std::string_view page, TStringList* pieces, const TStringList& opens,
                    const TStringList& closes) {
  assert(pieces != nullptr);
  assert(opens.Count() == closes.Count());
  pieces->Clear();
  for (const TTagPiece& piece : CutTagPieces(page, opens, closes)) {
    pieces->Add(std::string(piece.Text), piece.Depth);
  }
}

std::unique_ptr<TStringList> ExtractBlocks(std::string_view page, std::string_view open_list,
                                           std::string_view close_list,
                                           std::string_view start_pattern,
                                           std::string_view first_pattern, int depth) {
  if (start_pattern.empty()) return nullptr;
  const auto opens = SplitAtComma(open_list);
  const auto closes = SplitAtComma(close_list);
  if (opens->Count() != closes->Count() || opens->Count() == 0) return nullptr;
  const std::vector<TTagPiece> pieces = CutTagPieces(page, *opens, *closes);
  std::size_t start = 0;
  while (start < pieces.size() && !IsWildMatch(pieces[start].Text, start_pattern)) ++start;
  if (start == pieces.size()) return nullptr;
  const std::int64_t base = static_cast<std::int64_t>(pieces[start].Depth) + depth;
  BlockCollector collector(pieces, first_pattern, BlockBytesBound(page.size()));
  collector.Walk(start, base);
  return collector.Take();
}

}  // namespace korvan
