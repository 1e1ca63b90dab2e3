#include "engines/run_globals.h"

namespace korvan {

double RunDate = 0;
std::string ExitUrl;
std::string LatestVersion;
std::string MenuText0;
std::string MenuText1;
std::string NoticeText;

}  // namespace korvan
