#include "app/banner.h"

#include "app/version.h"
#include "platform/codepage.h"
#include "platform/console_output.h"

namespace korvan {

namespace {

std::string Blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

std::string Repeat(const std::string& piece, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += piece;
  return out;
}

// The box-drawing characters, code page 936 (two bytes, two columns each).
struct Frame {
  const std::string& tl = Cp936Text("┏");
  const std::string& tr = Cp936Text("┓");
  const std::string& bl = Cp936Text("┗");
  const std::string& br = Cp936Text("┛");
  const std::string& v = Cp936Text("┃");
  const std::string& h = Cp936Text("━");
  const std::string& lt = Cp936Text("┣");
  const std::string& rt = Cp936Text("┫");
};

const Frame& Chars() {
  static const Frame frame;
  return frame;
}

// The frame character at the start of `text`, if any, and the piece that
// widens it to two columns.
struct Widening {
  std::size_t length = 0;
  const std::string* fill = nullptr;
};

Widening FrameCharAt(const std::string& text, std::size_t at) {
  const Frame& f = Chars();
  static const std::string blank = " ";
  for (const std::string* joins_right : {&f.tl, &f.bl, &f.lt, &f.h}) {
    if (text.compare(at, joins_right->size(), *joins_right) == 0) {
      return {joins_right->size(), &f.h};
    }
  }
  for (const std::string* ends : {&f.tr, &f.br, &f.rt, &f.v}) {
    if (text.compare(at, ends->size(), *ends) == 0) return {ends->size(), &blank};
  }
  return {};
}

// Frame lines are built from blanks, frame characters and code page 936
// text rows; only the frame characters are widened.
std::string WidenFrame(const std::string& line) {
  std::string out;
  std::size_t i = 0;
  while (i < line.size()) {
    const Widening frame = FrameCharAt(line, i);
    if (frame.length > 0) {
      out.append(line, i, frame.length).append(*frame.fill);
      i += frame.length;
      continue;
    }
    const bool double_byte = static_cast<unsigned char>(line[i]) >= 0x81 && i + 1 < line.size();
    const std::size_t length = double_byte ? 2 : 1;
    out.append(line, i, length);
    i += length;
  }
  return out;
}

std::string InnerRow(const std::string& inside) {
  const Frame& f = Chars();
  return Blanks(5) + f.v + f.v + Blanks(2) + f.v + inside + f.v + Blanks(2) + f.v + f.v;
}

}  // namespace

std::string BannerTextRow(const std::string& text) {
  const int width = DisplayColumns(text);
  const int free = width < kBannerTextColumns ? kBannerTextColumns - width : 0;
  const int left = free / 2;
  return InnerRow(Blanks(left) + text + Blanks(free - left));
}

const std::vector<std::string>& BannerLines() {
  static const std::vector<std::string> lines = [] {
    const Frame& f = Chars();
    const std::string bar = Blanks(5) + f.v + f.lt + Repeat(f.h, 25) + f.rt + f.v;
    const std::string empty_row = InnerRow(Blanks(kBannerTextColumns));
    const std::string version = std::string("Korvan ") + ProgramVersion;
    return std::vector<std::string>{
        Blanks(5) + f.tl + f.tr + Blanks(50) + f.tl + f.tr,
        bar,
        Blanks(5) + f.v + f.v + Blanks(2) + f.tl + Repeat(f.h, 21) + f.tr + Blanks(2) + f.v + f.v,
        BannerTextRow(version),
        empty_row,
        BannerTextRow(Cp936Text("搜索引擎关键字排名查询工具")),
        empty_row,
        BannerTextRow(Cp936Text("每天查询网站在各搜索引擎中的排名")),
        BannerTextRow(Cp936Text("结果逐日记入 Excel 工作簿")),
        BannerTextRow(Cp936Text("查询中按 Esc 键跳过当前工作表")),
        Blanks(5) + f.v + f.v + Blanks(2) + f.bl + Repeat(f.h, 21) + f.br + Blanks(2) + f.v + f.v,
        bar,
        Blanks(5) + f.bl + f.br + Blanks(50) + f.bl + f.br,
    };
  }();
  return lines;
}

const std::vector<std::string>& NarrowBoxBannerLines() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> widened;
    for (const auto& line : BannerLines()) widened.push_back(WidenFrame(line));
    return widened;
  }();
  return lines;
}

void PrintBanner() {
  const bool narrow = ConsoleOut().DrawsBoxCharsNarrow();
  for (const auto& line : narrow ? NarrowBoxBannerLines() : BannerLines()) PrintLine(line);
}

}  // namespace korvan
