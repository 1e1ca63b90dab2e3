// One GET of the run-parameter page from its fixed, built-in address.
//
// The limits are 5000 ms to resolve and connect, 3000 ms without data and
// 35 s in all. On status 200 of a completed transfer the page text (code page
// 936, letter case kept) goes to `text` and RunDate is set from the "Date"
// header (ParseHttpDate); on any other outcome `text` is empty and RunDate is
// left alone. Throws HttpError when the request cannot be set up.
// Main thread only (writes RunDate).
#pragma once

#include <string>

namespace korvan {

// The address built into the program.
extern const char* const kParamPageUrl;

void FetchParamPage(std::string& text);
// The same from another address (tests point it at a loopback server).
void FetchParamPage(std::string& text, const std::string& address);

}  // namespace korvan
