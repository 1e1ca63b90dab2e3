#include "text/string_list2.h"

namespace korvan {

int TStringList::Add(std::string text, std::intptr_t tag) {
  items_.push_back(Item{std::move(text), tag});
  return Count() - 1;
}

void TStringList::Insert(int index, std::string text, std::intptr_t tag) {
  items_.insert(items_.begin() + index, Item{std::move(text), tag});
}

void TStringList::Delete(int index) { items_.erase(items_.begin() + index); }

void TStringList::AddStrings(const TStringList& other) {
  items_.insert(items_.end(), other.items_.begin(), other.items_.end());
}

}  // namespace korvan
