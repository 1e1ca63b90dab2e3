// The compound-file container of an .xls workbook, through libgsf on POSIX
// systems and structured storage (IStorage over memory) on Windows: the file
// is read into memory once, its workbook stream is found (by name, whatever
// its letter case) and read, and a new container can be written that holds
// a new workbook stream and a copy of every other stream and storage. The
// container is built in memory and written into a file created here, never
// into a temporary file of the library's own.
//
// Failures (a missing or unreadable file, a file that is no compound file, a
// damaged container, an Excel 5.0/95 workbook, a write error) throw
// WorkbookError with a message naming the file. Not thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvan::xls {

class XlsContainer {
 public:
  explicit XlsContainer(const std::string& path);
  ~XlsContainer();
  XlsContainer(const XlsContainer&) = delete;
  XlsContainer& operator=(const XlsContainer&) = delete;

  const std::string& Path() const { return path_; }
  const std::string& FileBytes() const { return file_; }
  const std::string& WorkbookStream() const { return workbook_; }

  // Writes a container to `path` whose workbook stream is `workbook` and whose
  // other streams and storages are copied from this one. The caller flushes
  // it to disk (the atomic replace does, once per save).
  void WriteWith(const std::string& path, std::string_view workbook) const;

  // Writes the file's bytes as they are to `path`; the caller flushes it.
  void CopyTo(const std::string& path) const;

 private:
  std::string path_;
  std::string file_;
  std::string workbook_;
  std::string workbook_name_;
  struct Storage;  // each system's open container
  Storage* storage_ = nullptr;
};

// The workbook stream's name among the names of the top-level streams of the
// container read from `path`: "Workbook" in any letter case. Throws for an
// Excel 5.0/95 workbook (a "Book" stream only) and for none.
std::string WorkbookStreamName(const std::vector<std::string>& names, const std::string& path);

}  // namespace korvan::xls
