// The line chart of one keyword's ranks, as the "d" of an SVG path drawn in
// a box SparklineWidth() wide and kSparkHeight pixels high: rank 1 at the
// top, the scale (the keyword's limit, or a worse rank the cells hold)
// logarithmic down to kPlotBottom, "?" on a band below it from kBandTop, and
// a gap (no line) where a point has no answer. Points are a whole number of
// pixels apart, oldest at the left edge, newest at the right.
// Pure, thread-safe, never throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvan {

constexpr int kSparkMaxWidth = 120;
constexpr int kSparkHeight = 32;
constexpr int kPlotBottom = 21;
constexpr int kBandTop = 25;

// The width of the box of a chart of `count` points.
int SparklineWidth(std::size_t count);

// `points` as TReportLine holds them (rank, kPointNotFound or kPointGap),
// oldest first. Empty when no point has an answer.
std::string SparklinePath(const std::vector<std::int32_t>& points, int limit);

}  // namespace korvan
