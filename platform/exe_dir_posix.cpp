#include "platform/exe_dir.h"

#include <climits>
#include <cstdlib>

namespace korvan {

std::string ExecutableDir() {
  char* real = realpath("/proc/self/exe", nullptr);
  if (!real) return {};
  std::string path = real;
  std::free(real);
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

}  // namespace korvan
