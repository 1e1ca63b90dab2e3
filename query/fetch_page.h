// One HTTP GET of a result page for a query worker; an engine whose
// UseXmlHttp is not 0 has its page loaded by its browser instead (the plain
// client when no browser is installed), see query/engine_browser.h.
//
// Returns the body converted to code page 936 and lower-cased ("A"-"Z" only),
// or an empty text on any transfer failure, a status other than 200 or an
// empty body. Throws HttpError when the HTTP component cannot be set up.
// Thread-safe: each call uses its own transfer.
#pragma once

#include <string>

#include "engines/engine.h"

namespace korvan {

std::string FetchPage(const TTheardParam& engine, const std::string& url);

}  // namespace korvan
