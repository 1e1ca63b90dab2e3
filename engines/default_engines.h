// The four built-in search engines, used when the parameter page brings none.
// Texts are code page 936 bytes. Immutable; safe from any thread.
#pragma once

#include <array>
#include <vector>

#include "engines/engine.h"

namespace korvan {

// One row: name, URL template, extraction spec, per-page count, UseXmlHttp.
using TDefaultEngineRow = std::array<const char*, 5>;

extern const std::array<TDefaultEngineRow, 4> DefaultEngines;

// Appends one engine per row of DefaultEngines, the two numbers converted
// from their texts; every other field keeps its zero value.
void AppendDefaultEngines(std::vector<TTheardParam>& engines);

}  // namespace korvan
