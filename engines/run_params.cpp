#include "engines/run_params.h"

#include <filesystem>
#include <fstream>

#include "engines/engine.h"
#include "engines/int_text.h"
#include "engines/param_page.h"
#include "engines/run_globals.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/exe_dir.h"
#include "platform/file_bytes.h"
#include "platform/private_profile.h"
#include "platform/wide_text.h"
#include "platform/workbook/atomic_replace.h"
#include "platform/workbook/workbook_file.h"
#include "text/string_list2.h"
#include "text/wildcard.h"

namespace korvan {

namespace {

constexpr std::int32_t kDefaultPerPage = 10;

void SetPreludeLine(int counter, const std::string& line) {
  switch (counter) {
    case 2:
      ExitUrl = line;
      break;
    case 3:
      LatestVersion = line;
      break;
    case 4:
      MenuText0 = line;
      break;
    case 5:
      MenuText1 = line;
      break;
    case 6:
      NoticeText = line;
      break;
    default:
      break;  // line 1 and lines 7 on are free text
  }
}

void SetBlockLine(int counter, const std::string& line, TTheardParam& engine) {
  switch (counter) {
    case 1:
      engine.UrlTemplate = line;
      break;
    case 2:
      engine.ExtractSpec = line;
      break;
    case 3:
      engine.PerPage = IntOfText(line, kDefaultPerPage);
      break;
    case 4:
      engine.UseXmlHttp = static_cast<std::uint8_t>(IntOfText(line, 0));
      break;
    default:
      break;
  }
}

}  // namespace

void ParseRunParams(std::string_view page) {
  if (page.empty()) return;
  TStringList2 lines;
  lines.SetDelimiterStr("\r\n");
  lines.SetDelimitedStr(page);
  int counter = 1;
  int blocks = 0;
  for (const auto& item : lines.Items()) {
    const std::string& line = item.Text;
    if (IsWildMatch(line, "[[*]]")) {
      if (++blocks > kMaxEngineBlocks) break;
      Engines.emplace_back().Name = line.substr(1, line.size() - 2);
      counter = 1;
    } else if (blocks > 0) {
      SetBlockLine(counter++, line, Engines.back());
    } else {
      SetPreludeLine(counter++, line);
    }
  }
}

namespace {

// A page larger than this is not a parameter page; the rest is not read.
constexpr std::size_t kMaxLocalCopyBytes = 64u << 20;

void ClearRunParams() {
  Engines.clear();
  for (std::string* text : {&ExitUrl, &LatestVersion, &MenuText0, &MenuText1, &NoticeText}) {
    text->clear();
  }
}

// Parses `page` (code page 936) into Engines and the texts when it has an
// engine block; otherwise leaves them empty and returns false.
bool ParseUsablePage(std::string_view page) {
  ClearRunParams();
  ParseRunParams(page);
  if (!Engines.empty()) return true;
  ClearRunParams();
  return false;
}

// Keeps `page` (code page 936) as the local copy, in UTF-8 like the
// maintained page, replacing the old copy in one step so that a crash
// leaves the old or the new one.
void KeepLocalCopy(std::string_view page, const std::string& path) {
  const std::string bytes = Cp936ToUtf8(page);
  if (ReadFileBytes(path, kMaxLocalCopyBytes) == bytes) return;
  try {
    std::error_code ec;
    if (!std::filesystem::exists(FsPath(path), ec))
      std::ofstream(FsPath(path), std::ios::binary).flush();
    ReplaceFileAtomically(path, path, [&](const std::string& temp) {
      std::ofstream out(FsPath(temp), std::ios::binary);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      if (!out.flush()) throw WorkbookError("cannot write " + temp);
    });
  } catch (const std::exception&) {
    // The fetched page is used all the same; the copy waits for the next start.
  }
}

}  // namespace

TParamSource LoadRunParams() { return LoadRunParamsFrom(kParamPageUrl, LocalParamsPath()); }

TParamSource LoadRunParamsFrom(const std::string& address, const std::string& local_copy) {
  ClearRunParams();
  RunDate = LocalNow();
  if (!address.empty()) {
    std::string page;
    FetchParamPage(page, address);
    if (ParseUsablePage(page)) {
      KeepLocalCopy(page, local_copy);
      return psParamPage;
    }
    RunDate = LocalNow();  // a status 200 without engines set the server's date
  }
  const std::optional<std::string> bytes = ReadFileBytes(local_copy, kMaxLocalCopyBytes);
  if (bytes && ParseUsablePage(ProfileTextToCp936(*bytes))) return psLocalCopy;
  return psBuiltIn;
}

std::string LocalParamsPath() { return ExecutableDir() + "运行参数.txt"; }

}  // namespace korvan
