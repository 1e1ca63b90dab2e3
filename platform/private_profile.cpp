#include "platform/private_profile.h"

#include <charconv>

#include "platform/codepage.h"
#include "platform/file_bytes.h"

namespace korvan {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// ASCII case folding that leaves the second byte of a double-byte character
// alone, so that two different characters never fold together.
std::string Fold(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (c >= 0x81 && c <= 0xFE) {
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c + 32);
    }
  }
  return out;
}

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v.remove_prefix(1);
    v.remove_suffix(1);
  }
  return v;
}

bool HasHighByte(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

}  // namespace

std::string ProfileTextToCp936(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return Utf8ToCp936(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) {
    return ConvertCharsetLenient(bytes.substr(2), "UTF-16LE", "GB18030").value_or(std::string());
  }
  if (bytes.starts_with("\xFE\xFF")) {
    return ConvertCharsetLenient(bytes.substr(2), "UTF-16BE", "GB18030").value_or(std::string());
  }
  if (HasHighByte(bytes) && IsValidUtf8(bytes)) return Utf8ToCp936(bytes);
  return std::string(bytes);
}

std::optional<std::int32_t> ParseProfileInt(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    std::string_view digits = text.substr(2);
    if (digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return static_cast<std::int32_t>(value);
  }
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty() || digits[0] == '+' || digits[0] == '-') return std::nullopt;
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 10);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

PrivateProfile PrivateProfile::Parse(std::string_view text) {
  PrivateProfile profile;
  Section* current = nullptr;  // null before the first section, or in a repeat
  bool in_section = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      std::string_view name = line.substr(1);
      name = Trim(name.substr(0, name.find(']')));
      profile.names_.emplace_back(name);
      in_section = true;
      auto [it, added] = profile.index_.try_emplace(Fold(name), profile.sections_.size());
      if (added) {
        profile.sections_.emplace_back();
        current = &profile.sections_.back();
      } else {
        current = nullptr;  // a later section of the same name is never read
      }
      continue;
    }
    if (!in_section || current == nullptr) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = Trim(line.substr(0, eq));
    if (key.empty()) continue;
    std::string_view value = Unquote(Trim(line.substr(eq + 1)));
    value = value.substr(0, value.find('\0'));
    value = value.substr(0, kMaxValueBytes);
    current->values.try_emplace(Fold(key), value);
  }
  return profile;
}

PrivateProfile PrivateProfile::Load(const std::string& path) {
  const std::optional<std::string> bytes = ReadFileBytes(path, kMaxFileBytes);
  if (!bytes) return PrivateProfile();
  return Parse(ProfileTextToCp936(*bytes));
}

std::optional<std::string> PrivateProfile::ReadString(std::string_view section,
                                                      std::string_view key) const {
  auto s = index_.find(Fold(section));
  if (s == index_.end()) return std::nullopt;
  const auto& values = sections_[s->second].values;
  auto v = values.find(Fold(key));
  if (v == values.end()) return std::nullopt;
  return v->second;
}

std::optional<std::int32_t> PrivateProfile::ReadInt(std::string_view section,
                                                    std::string_view key) const {
  auto text = ReadString(section, key);
  if (!text) return std::nullopt;
  return ParseProfileInt(*text);
}

std::vector<std::string> PrivateProfile::SectionNames(std::size_t buffer_bytes) const {
  std::vector<std::string> out;
  std::size_t used = 0;
  for (const auto& name : names_) {
    if (buffer_bytes == 0 || used + name.size() + 1 > buffer_bytes - 1) break;
    used += name.size() + 1;
    out.push_back(name);
  }
  return out;
}

}  // namespace korvan
