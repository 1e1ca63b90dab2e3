// Start-up loading of the run parameters: engine definitions, the run date
// and the five run texts, from the parameter page or its local copy.
//
// The page: CR LF separated lines, each trimmed, empty ones dropped. A line
// of the form "[name]" (its first "]" its last byte) opens an engine block
// whose next four lines are URL template, extraction spec, per-page count
// (10 when not an integer) and UseXmlHttp (low 8 bits; 0 when not an
// integer). Before the first block, lines 2 to 6 are ExitUrl,
// LatestVersion, MenuText0, MenuText1 and NoticeText. At most
// kMaxEngineBlocks blocks are taken; every line after that is ignored,
// because each engine later costs one thread per worksheet.
// Main thread only, before any worker exists.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvan {

inline constexpr int kMaxEngineBlocks = 64;

// Where the run parameters of this execution came from.
enum TParamSource {
  psParamPage,  // the page at the fixed address
  psLocalCopy,  // the file 运行参数.txt beside the executable
  psBuiltIn,    // neither: Engines stays empty and the settings loader
                // installs the built-in engines
};

// The start-up order. Empties Engines and the five texts and sets RunDate to
// the local time; then
// 1. when the program has a fixed address: fetches the page there; a usable
//    answer (status 200 and at least one engine block) is used, with the
//    server's date, and kept as the local copy (an atomic replace, only when
//    the copy differs; a failure to keep it is not reported);
// 2. otherwise the local copy (UTF-8 or code page 936, told apart as the
//    settings file is), with the local time, when it has an engine block;
// 3. otherwise nothing (psBuiltIn): no engines, empty texts.
// HttpError from FetchParamPage passes through.
TParamSource LoadRunParams();
// The same with another address (empty: none) and another local copy (a
// file-system name); tests point them at a loopback server and a temporary
// folder.
TParamSource LoadRunParamsFrom(const std::string& address, const std::string& local_copy);

// The file-system name of the local copy: the executable's folder + 运行参数.txt.
std::string LocalParamsPath();

// Appends the blocks of `page` to Engines and sets the texts of its prelude.
void ParseRunParams(std::string_view page);

}  // namespace korvan
