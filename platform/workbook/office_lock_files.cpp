#include "platform/workbook/office_lock_files.h"

#include <filesystem>

#include "platform/workbook/name_exists.h"
#include "platform/workbook/workbook_file.h"

namespace korvan {

namespace {

// Office counts characters as UTF-16 units: a character beyond U+FFFF
// (a four-byte UTF-8 sequence) counts twice.
std::size_t Utf16Length(const std::string& utf8) {
  std::size_t units = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;
    if (byte >= 0xF0) ++units;
  }
  return units;
}

// `utf8` without its first `count` UTF-16 units.
std::string WithoutFirstUnits(const std::string& utf8, std::size_t count) {
  std::size_t at = 0;
  while (count > 0 && at < utf8.size()) {
    const auto byte = static_cast<unsigned char>(utf8[at]);
    count -= byte >= 0xF0 && count >= 2 ? 2 : 1;
    ++at;
    while (at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80) ++at;
  }
  return utf8.substr(at);
}

std::filesystem::path Beside(const std::string& path, const std::string& name) {
  return FsPath(path).parent_path() / FsPath(name);
}

}  // namespace

std::string OfficeLockFilePath(const std::string& path) {
  const std::string name = Utf8OfPath(FsPath(path).filename());
  return Utf8OfPath(Beside(path, ".~lock." + name + "#"));
}

std::vector<std::string> OwnerFilePaths(const std::string& path) {
  const std::filesystem::path file = FsPath(path);
  const std::string name = Utf8OfPath(file.filename());
  std::vector<std::string> owners{Utf8OfPath(Beside(path, "~$" + name))};
  if (Utf16Length(Utf8OfPath(file.stem())) > 6) {
    owners.push_back(Utf8OfPath(Beside(path, "~$" + WithoutFirstUnits(name, 2))));
  }
  return owners;
}

std::string OfficeLockFileBeside(const std::string& path) {
  std::vector<std::string> candidates = OwnerFilePaths(path);
  candidates.insert(candidates.begin(), OfficeLockFilePath(path));
  for (const std::string& candidate : candidates) {
    if (NameExists(candidate)) return candidate;
  }
  return {};
}

void RefuseWorkbookOpenInOffice(const std::string& path) {
  if (!OfficeLockFileBeside(path).empty()) {
    throw WorkbookError("cannot open " + path +
                            ": the workbook is open in an office program (close it there first)",
                        WorkbookFailure::kOpenInOffice);
  }
}

}  // namespace korvan
