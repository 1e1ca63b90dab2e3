// Whether a name exists, for the workbook's files. The names are UTF-8 texts,
// turned into paths by FsPath (platform/wide_text.h) on both systems.
// Thread-safe.
#pragma once

#include <filesystem>
#include <string>

#include "platform/wide_text.h"

namespace korvan {

// True when something (a dangling link included) has the name `path`; false
// also when that cannot be found out.
inline bool NameExists(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::symlink_status(FsPath(path), ec);
  return !ec && status.type() != std::filesystem::file_type::not_found;
}

}  // namespace korvan
