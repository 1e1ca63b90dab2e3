// The new file a save writes: created exclusively, so that a name that
// exists already, or a symbolic link put in its place after the name was
// chosen, is refused instead of being written through.
//
// Not thread-safe. Failures throw WorkbookError ("cannot write <path>:
// <reason>").
#pragma once

#include <cstddef>
#include <string>

namespace korvan {

class NewFile {
 public:
  // Creates `path` for writing (O_CREAT | O_EXCL | O_NOFOLLOW).
  explicit NewFile(const std::string& path);
  ~NewFile();  // closes the file if it is still held; never throws
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  void Write(const char* data, std::size_t size);
  // Closes the file, throwing when the close reports a write error.
  void Close();
  // Hands the descriptor over to the caller, who closes it.
  int Release();

 private:
  std::string path_;
  int fd_;
};

}  // namespace korvan
