// Start-up loading of the run parameters: engine definitions, the run date
// and the five run texts, from the parameter page.
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

// Empties Engines, sets RunDate to the local time, fetches the page from the
// built-in address and parses it. Without a page nothing else changes.
// HttpError from FetchParamPage passes through.
void LoadRunParams();
// The same from another address (tests point it at a loopback server).
void LoadRunParamsFrom(const std::string& address);

// Appends the blocks of `page` to Engines and sets the texts of its prelude.
void ParseRunParams(std::string_view page);

}  // namespace korvan
