// The parts of the atomic save that are the same on every system; each
// system's writing and rename are in atomic_replace_<system>.cpp.
#include "platform/workbook/atomic_replace.h"

#include <chrono>
#include <filesystem>

#include "platform/workbook/name_exists.h"

namespace korvan {

namespace {

// libgsf's temporary files of an .xls save, and the age after which one is
// surely no save in progress.
constexpr char kGsfTemporaryPrefix[] = ".gsf-save-";
constexpr auto kGsfTemporaryAge = std::chrono::minutes(1);

bool IsSixRandomBytesAt(const std::string& name, std::size_t at) { return name.size() == at + 6; }

}  // namespace

namespace detail {

// Built by appending: GCC 12 at -O3 misreads `"." + std::string` as an
// overlapping copy (-Wrestrict).
std::string SavingTemporaryPrefix(const std::string& target) {
  std::string prefix = ".";
  prefix += Utf8OfPath(FsPath(target).filename());
  prefix += ".saving-";
  return prefix;
}

}  // namespace detail

void RemoveStaleTemporaries(const std::string& target) {
  const std::string prefix = detail::SavingTemporaryPrefix(target);
  const std::string gsf_prefix = kGsfTemporaryPrefix;
  std::filesystem::path folder = FsPath(target).parent_path();
  if (folder.empty()) folder = ".";
  const auto gsf_stale_before = std::filesystem::file_time_type::clock::now() - kGsfTemporaryAge;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = Utf8OfPath(it->path().filename());
    std::error_code ignored;
    // Only names of exactly these patterns, and only regular files.
    bool stale = false;
    if (name.compare(0, prefix.size(), prefix) == 0) {
      stale = IsSixRandomBytesAt(name, prefix.size()) ||
              (name.size() == prefix.size() + 13 && name[prefix.size() + 6] == '.');
    } else if (name.compare(0, gsf_prefix.size(), gsf_prefix) == 0 &&
               IsSixRandomBytesAt(name, gsf_prefix.size())) {
      const auto written = std::filesystem::last_write_time(it->path(), ignored);
      stale = !ignored && written < gsf_stale_before;
    }
    if (stale && it->is_regular_file(ignored) && !it->is_symlink(ignored)) {
      std::filesystem::remove(it->path(), ignored);
    }
  }
}

FileIdentity ReplaceFileAtomically(const std::string& target, const std::string& mode_source,
                                   const std::function<void(const std::string&)>& write,
                                   WorkbookLock* lock) {
  return *detail::WriteAndCommit(target, mode_source, write, lock, true);
}

std::optional<FileIdentity> WriteNewFileAtomically(
    const std::string& target, const std::string& mode_source,
    const std::function<void(const std::string&)>& write) {
  return detail::WriteAndCommit(target, mode_source, write, nullptr, false);
}

}  // namespace korvan
