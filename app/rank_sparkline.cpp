#include "app/rank_sparkline.h"

#include <algorithm>
#include <cmath>

#include "app/rank_report.h"

namespace korvan {

namespace {

constexpr int kPlotTop = 2;
constexpr int kNotFoundY = (kBandTop + kSparkHeight) / 2;

// Relative coordinates need no separator before a minus sign or after the
// command letter.
void AppendNumber(std::string& d, int value) {
  if (value >= 0 && !d.empty() && d.back() != 'l') d += ' ';
  d += std::to_string(value);
}

int Step(std::size_t count) {
  return std::max(1, (kSparkMaxWidth - 2) / std::max(static_cast<int>(count) - 1, 1));
}

}  // namespace

int SparklineWidth(std::size_t count) {
  return Step(count) * std::max(static_cast<int>(count) - 1, 0) + 2;
}

std::string SparklinePath(const std::vector<std::int32_t>& points, int limit) {
  const int count = static_cast<int>(points.size());
  std::int32_t worst = std::max(limit, 2);
  for (std::int32_t point : points) worst = std::max(worst, point);
  const double scale = (kPlotBottom - kPlotTop) / std::log(static_cast<double>(worst));
  const int step = Step(points.size());

  std::string d;
  int last_x = 0;
  int last_y = 0;
  int run = 0;  // points in the current piece of line
  const auto end_piece = [&d, &run] {
    if (run == 1) d += "0 0";  // a lone point: a dot through the round line cap
    run = 0;
  };
  for (int i = 0; i < count; ++i) {
    const std::int32_t point = points[i];
    if (point == kPointGap) {
      end_piece();
      continue;
    }
    const int x = 1 + step * i;
    const int y = point == kPointNotFound
                      ? kNotFoundY
                      : kPlotTop + static_cast<int>(std::lround(scale * std::log(point)));
    if (run == 0) {
      d += 'M' + std::to_string(x) + ' ' + std::to_string(y) + 'l';
    } else {
      AppendNumber(d, x - last_x);
      AppendNumber(d, y - last_y);
    }
    ++run;
    last_x = x;
    last_y = y;
  }
  end_piece();
  return d;
}

}  // namespace korvan
