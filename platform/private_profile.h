// A read-only INI ("private profile") file with the semantics of the Windows
// profile functions that the settings rely on:
// - section and key names match without regard to ASCII letter case (the
//   second byte of a code page 936 character is compared exactly);
// - the first section of a name and the first key of a name in it win;
// - blanks and tabs around names and values are trimmed, and one pair of
//   matching quotes ('"' or "'") around a value is removed;
// - a line whose first non-blank byte is ";" is a comment; there are no
//   inline comments; lines before the first section and lines without "="
//   are ignored;
// - a value is cut at kMaxValueBytes bytes (and at a NUL byte);
// - the section list is in file order, duplicates included.
// Loading never fails: a missing or unreadable file is an empty profile.
// Immutable once built, so safe to read from several threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvan {

class PrivateProfile {
 public:
  static constexpr std::size_t kMaxValueBytes = 2047;
  static constexpr std::size_t kSectionListBytes = 16384;
  static constexpr std::size_t kMaxFileBytes = 64u << 20;  // the rest is not read

  // `text` in code page 936.
  static PrivateProfile Parse(std::string_view text);
  // Reads the file named `path` (a file-system name). Text with a UTF-8 or
  // UTF-16 byte-order mark, or valid UTF-8 holding non-ASCII bytes, is
  // converted to code page 936 first; anything else is taken as code page 936.
  static PrivateProfile Load(const std::string& path);

  // The value, or nothing when the section or key is absent.
  std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;
  // A decimal integer with an optional sign within 32 bits, or "0x"/"0X"
  // followed by 1 to 8 hexadecimal digits (taken as a 32-bit pattern);
  // nothing for any other text or an absent key.
  std::optional<std::int32_t> ReadInt(std::string_view section, std::string_view key) const;
  // The section names as a list buffer of `buffer_bytes` holds them (each
  // name and its terminator must fit, with one byte left for the end mark).
  std::vector<std::string> SectionNames(std::size_t buffer_bytes = kSectionListBytes) const;

 private:
  struct Section {
    std::unordered_map<std::string, std::string> values;  // folded key -> value
  };
  std::vector<std::string> names_;                      // every header, in file order
  std::vector<Section> sections_;                       // first section of each name
  std::unordered_map<std::string, std::size_t> index_;  // folded name -> sections_
};

// The text of a profile file in code page 936 (see PrivateProfile::Load).
std::string ProfileTextToCp936(std::string_view bytes);

// Parses a profile integer by the rule of PrivateProfile::ReadInt.
std::optional<std::int32_t> ParseProfileInt(std::string_view text);

}  // namespace korvan
