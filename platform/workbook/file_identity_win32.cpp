#include <windows.h>

#include "platform/workbook/file_identity.h"
#include "platform/workbook/win32_file.h"

namespace korvan {

namespace {

// FILETIME counts 100 ns steps since 1601.
constexpr std::int64_t kTicksPerSecond = 10'000'000;

std::uint64_t Join(DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; }

}  // namespace

std::optional<FileIdentity> IdentityOfOpenFile(std::intptr_t file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(file), &info)) return std::nullopt;
  const auto ticks = static_cast<std::int64_t>(
      Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
  return FileIdentity{info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow),
                      static_cast<std::int64_t>(Join(info.nFileSizeHigh, info.nFileSizeLow)),
                      ticks / kTicksPerSecond, ticks % kTicksPerSecond * 100};
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  // No access asked for: the identity can be had even of a file another
  // program holds open without sharing.
  win32::Handle file(win32::OpenShared(path, 0));
  if (!file.valid()) return std::nullopt;
  return IdentityOfOpenFile(reinterpret_cast<std::intptr_t>(file.get()));
}

}  // namespace korvan
