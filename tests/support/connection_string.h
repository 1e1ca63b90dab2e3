// The connection string the run control builds for a workbook, from the
// workbook's file-system name (UTF-8) as a test knows it.
#pragma once

#include <string>

#include "platform/codepage.h"
#include "platform/workbook/workbook_table.h"

namespace korvan::testing {

inline std::string ConnectionStringFor(const std::string& path) {
  return WorkbookConnectionString(Utf8ToCp936(path));
}

}  // namespace korvan::testing
