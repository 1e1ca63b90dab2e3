// One HTTP GET of a result page for a query worker, as a browser makes it:
// the browser's headers and the engine's own cookies. An engine whose
// UseXmlHttp is not 0 has its page loaded by its browser instead (the plain
// client when no browser is installed), see query/engine_browser.h.
//
// On success the page is the body converted to code page 936 and lower-cased
// ("A"-"Z" only). Otherwise the page is empty and the failure says why: the
// transfer (no name, no connection, which time limit, size), a verification
// page by the engine's known signs, 403, 429, another status, or an empty
// body. Throws HttpError when the HTTP component cannot be set up.
// Thread-safe: each call uses its own transfer; the engine's cookie jar
// locks itself.
#pragma once

#include <string>

#include "engines/engine.h"
#include "query/fail_reasons.h"

namespace korvan {

struct TFetchedPage {
  std::string Text;  // the page; empty on failure
  TFailReason Failure = frNone;
  std::string Detail;     // what the reason line names (host, ms, status...)
  std::string FinalHost;  // host of the address last asked for
  bool Answered = false;  // an HTTP answer came back
};

TFetchedPage FetchPage(const TTheardParam& engine, const std::string& url);

}  // namespace korvan
