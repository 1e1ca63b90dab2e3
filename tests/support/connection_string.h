// The connection string the run control builds for a workbook, from the
// workbook's file-system name (UTF-8) as a test knows it.
#pragma once

#include <string>

#include "platform/codepage.h"

namespace korvan::testing {

inline std::string ConnectionStringFor(const std::string& path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Utf8ToCp936(path) +
         ";Extended Properties=Excel 8.0;Persist Security Info=False";
}

}  // namespace korvan::testing
