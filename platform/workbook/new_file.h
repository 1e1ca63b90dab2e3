// The new file a save writes: created exclusively (O_CREAT | O_EXCL |
// O_NOFOLLOW; CreateFileW with CREATE_NEW on Windows), so that a name that
// exists already, or a symbolic link put in its place after the name was
// chosen, is refused instead of being written through.
//
// Not thread-safe. Failures throw WorkbookError ("cannot write <path>:
// <reason>").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvan {

class NewFile {
 public:
  explicit NewFile(const std::string& path);
  ~NewFile();  // closes the file if it is still held; never throws
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  void Write(const char* data, std::size_t size);
  // Closes the file, throwing when the close reports a write error.
  void Close();
  // POSIX systems: hands the descriptor over to the caller, who closes it.
  int Release();

 private:
  static constexpr std::intptr_t kNone = -1;
  std::string path_;
  std::intptr_t file_;  // a descriptor on POSIX systems, a HANDLE on Windows
};

}  // namespace korvan
