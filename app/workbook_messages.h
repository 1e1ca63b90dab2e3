// The console lines about the workbook that the workbook layer reports but
// never prints: the reason of a workbook failure, and a save that went into
// a copy beside the workbook instead of over it.
//
// Main thread only (prints). Texts are code page 936.
#pragma once

#include <exception>
#include <string>

#include "platform/workbook/workbook_saver.h"

namespace korvan {

// "原因：" and the failure in Chinese, with the component's own message as
// the value: the line printed before "Excel文件打开失败！按Enter键退出...".
std::string WorkbookFailureLine(const std::exception& failure);

// One line naming the workbook and the copy, and why the copy was made.
void PrintSavedBeside(const WorkbookSavedBeside& saved);

}  // namespace korvan
