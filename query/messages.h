// Progress messages of the query engine: twelve fixed templates in code page
// 936 with placeholders in square brackets, filled with wrapped arguments.
// Pure and thread-safe.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace korvan {

enum MessageId : int {
  msgFoundAt = 1,       // name, keyword, pageno, index, host, rank
  msgGettingUrl = 2,    // name, keyword, pageno
  msgNoUrl = 3,         // name, keyword, pageno
  msgGettingPage = 4,   // name, keyword, pageno
  msgNotOnPage = 5,     // name, keyword, pageno, host
  msgFetchFailed = 6,   // name, keyword, pageno
  msgTimeLimit = 7,     // name, keyword, pageno, timeout (never posted)
  msgPause = 8,         // name, pausetime
  msgAllDone = 9,       // name, host
  msgFoundStop = 10,    // name, keyword, pageno, host
  msgNotFound = 11,     // name, keyword, maxcount, host
  msgInterrupted = 12,  // name, host
};

// The line of message `id`: every argument becomes " 【" + argument + "】 "
// and replaces every occurrence of its placeholder, the placeholders taken in
// the order of the arguments above. Empty for an id outside 1 to 12.
// REQUIRES: the arguments listed for the id, in that order.
std::string BuildMessage(int id, std::initializer_list<std::string_view> args);

// " 【" + arg + "】 ": how every value inside a fixed text is set off.
std::string WrapArgument(std::string_view arg);

// The fixed tails of a worker's summary line (code page 936).
std::string SummaryAllSucceeded();
std::string SummaryFailed(int failed);

}  // namespace korvan
