// Ordered string lists with an integer tag per item.
//
// TStringList is the ordinary list used everywhere (keywords, results, block
// lists). TStringList2 adds splitting at a whole delimiter string: every item
// is trimmed of blanks and control bytes (<= 32) and empty items are dropped.
// A list that was never given a delimiter string splits comma-separated text
// with double-quoted items instead.
// Not thread-safe; the creator owns the list, the list owns its items.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvan {

class TStringList {
 public:
  struct Item {
    std::string Text;
    std::intptr_t Tag = 0;
  };

  TStringList() = default;
  virtual ~TStringList() = default;
  TStringList(const TStringList&) = default;
  TStringList& operator=(const TStringList&) = default;

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  // REQUIRES: 0 <= index < Count() for the indexed accessors.
  const std::string& Get(int index) const { return items_[index].Text; }
  std::string& operator[](int index) { return items_[index].Text; }
  const std::string& operator[](int index) const { return items_[index].Text; }
  void Put(int index, std::string text) { items_[index].Text = std::move(text); }
  std::intptr_t Tag(int index) const { return items_[index].Tag; }
  void SetTag(int index, std::intptr_t tag) { items_[index].Tag = tag; }

  // Returns the index of the new item.
  int Add(std::string text, std::intptr_t tag = 0);
  void Insert(int index, std::string text, std::intptr_t tag = 0);
  void Delete(int index);
  void Clear() { items_.clear(); }
  void AddStrings(const TStringList& other);
  void Reserve(std::size_t n) { items_.reserve(n); }

  const std::vector<Item>& Items() const { return items_; }

 protected:
  std::vector<Item> items_;
};

class TStringList2 : public TStringList {
 public:
  // Sets the delimiter string. An empty value becomes the one-character
  // string of Delimiter(); a one-character value also becomes Delimiter().
  void SetDelimiterStr(std::string_view value);
  // Replaces all items by the trimmed, non-empty pieces of `text`; tags are 0.
  void SetDelimitedStr(std::string_view text);

  const std::string& DelimiterStr() const { return delimiter_str_; }
  char Delimiter() const { return delimiter_; }
  void SetDelimiter(char delimiter) { delimiter_ = delimiter; }

 private:
  void SetCommaText(std::string_view text);

  char delimiter_ = ',';
  std::string delimiter_str_;
};

}  // namespace korvan
