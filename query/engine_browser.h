// The client component as a real browser: the result pages of an engine
// whose UseXmlHttp is not 0 are loaded by a headless Chromium, one browser
// per engine (by name), started at the engine's first page and kept for the
// rest of the execution, so that the engine's cookies live as long as in a
// browser session and later worksheets do not pay the start-up again.
//
// The client component has no time limits of its own; the browser is still
// bounded: a page that has not loaded after kBrowserPageLimitMs fails, and a
// browser that crashes or hangs is ended and started again at the next page.
//
// Thread-safe; the browsers are ended with the process (see
// platform/browser_client.h for how).
#pragma once

#include <string>

#include "engines/engine.h"
#include "platform/http_client.h"

namespace korvan {

inline constexpr long kBrowserPageLimitMs = 30000;

// Loads `url` in the engine's browser and gives the outcome as the HTTP
// client would: `completed` when the main document arrived, its status, and
// the document as the browser holds it (UTF-8) as the body. Returns false
// when no browser is installed: the caller then fetches with the plain
// client, and one line naming the package to install is queued once per
// execution. Throws HttpError when `url` is not an http or https address.
bool FetchInBrowser(const TTheardParam& engine, const std::string& url, HttpResponse& response);

// Tests: use `executable` as the browser ("" for none installed) and forget
// the browsers started so far and the notice already given.
void SetBrowserExecutableForTesting(std::string executable);

}  // namespace korvan
