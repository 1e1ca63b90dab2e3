// The compound-file container of an .xls workbook, through libgsf: the file
// is read into memory once, its workbook stream is found (by name, whatever
// its letter case) and read, and a new container can be written that holds
// a new workbook stream and a copy of every other stream and storage.
//
// Failures (a missing or unreadable file, a file that is no compound file, a
// damaged container, an Excel 5.0/95 workbook, a write error) throw
// WorkbookError with a message naming the file. Not thread-safe.
#pragma once

#include <string>
#include <string_view>

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
  struct Gsf;
  Gsf* gsf_ = nullptr;
};

}  // namespace korvan::xls
