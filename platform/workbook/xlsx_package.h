// The zip package of an .xlsx workbook, read through libzip: entries by part
// name (compared without regard to case, as part names are), read whole
// into memory with a cap on their inflated size, and a copy of the package
// written with some entries replaced or left out while every other entry is
// copied as it is stored, without inflating it.
//
// A package holding two parts of one name is refused at opening: it could
// be read but not written back. The package stays open for the object's
// lifetime, so a copy can still be made after the file was replaced on disk:
// on POSIX systems through its open file, on Windows (where an open file
// cannot be replaced) from the whole file read into memory at opening. Not
// thread-safe. Every failure throws WorkbookError naming the file and reason.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

struct zip;

namespace korvan {

// The largest inflated entry that is read; a bigger one is refused while
// it is inflated, so a zip bomb costs no more than this.
inline constexpr std::size_t kXlsxMaxPartBytes = std::size_t{200} << 20;

class XlsxPackage {
 public:
  explicit XlsxPackage(const std::string& path);
  ~XlsxPackage();
  XlsxPackage(const XlsxPackage&) = delete;
  XlsxPackage& operator=(const XlsxPackage&) = delete;

  const std::string& Path() const { return path_; }
  // Part names without the leading "/" ("xl/workbook.xml").
  bool Has(std::string_view part) const;
  std::string Read(std::string_view part) const;  // throws when missing
  std::optional<std::string> ReadIfPresent(std::string_view part) const;

  // Writes a new package at `path` (a new file, created exclusively) holding
  // every entry of this one in order:
  // those named in `replaced` with the given bytes (deflated), those named in
  // `dropped` left out, the others copied compressed as they are.
  void WriteCopy(const std::string& path, const std::map<std::string, std::string>& replaced,
                 const std::set<std::string>& dropped) const;

 private:
  // Each system's opening of the package at `path`: the archive, or null
  // with libzip's error code in `code`; throws when the file cannot be read.
  struct zip* OpenArchive(int& code);
  std::optional<std::string> RepeatedPartName() const;
  std::optional<std::size_t> Locate(std::string_view part) const;
  std::string ReadIndex(std::size_t index, std::string_view part) const;

  std::string path_;
  std::string bytes_;  // Windows: the file, which the archive reads
  struct zip* zip_ = nullptr;
};

}  // namespace korvan
