// The run date and the five run texts of the parameter page (code page 936).
// Written only by LoadRunParams on the main thread before any worker starts;
// read-only afterwards, so plain globals are safe.
#pragma once

#include <string>

namespace korvan {

extern double RunDate;  // date-time double; see platform/date_time.h
extern std::string ExitUrl;
extern std::string LatestVersion;
extern std::string MenuText0;
extern std::string MenuText1;
extern std::string NoticeText;

}  // namespace korvan
