// The request URL of one result page, from the engine's URL template.
//
// The template is stripped of blanks and control bytes and lower-cased;
// every "[keyword]" becomes the keyword, converted from code page 936 to
// UTF-8 and percent-encoded; the first bracketed term left, "[mode,first,
// step]", becomes the page's value: mode 0 gives first + step * (page - 1),
// mode 1 gives first * round(step ^ (page - 1)).
// Returns empty when no URL can be made (empty template, no page term, not
// three whole numbers, an unknown mode, a value out of range).
// Reads only the engine's UrlTemplate; thread-safe.
#pragma once

#include <string>
#include <string_view>

#include "engines/engine.h"

namespace korvan {

std::string BuildQueryUrl(const TTheardParam& engine, std::string_view keyword, int page_no);

// The same for Engines[engine_index]; empty for an index out of range.
std::string BuildQueryUrl(int engine_index, std::string_view keyword, int page_no);

}  // namespace korvan
