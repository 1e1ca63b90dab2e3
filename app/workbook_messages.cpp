#include "app/workbook_messages.h"

#include "platform/codepage.h"
#include "platform/console_output.h"

namespace korvan {

namespace {

const std::string& ReasonText(WorkbookFailure kind) {
  switch (kind) {
    case WorkbookFailure::kNotFound:
      return Cp936Text("找不到Excel文件或它所在的文件夹");
    case WorkbookFailure::kNoAccess:
      return Cp936Text("没有读写Excel文件或它所在文件夹的权限");
    case WorkbookFailure::kNoSpace:
      return Cp936Text("磁盘空间不足");
    case WorkbookFailure::kOpenInOffice:
      return Cp936Text("Excel文件正在办公软件中打开，请先在那里关闭它");
    case WorkbookFailure::kInUse:
      return Cp936Text("Excel文件正被另一个运行中的本程序使用");
    case WorkbookFailure::kNotWorkbook:
      return Cp936Text("文件不是Excel工作簿");
    case WorkbookFailure::kOldFormat:
      return Cp936Text("Excel文件是Excel 5.0/95或更早的格式，请先另存为Excel 97-2003格式");
    case WorkbookFailure::kDamaged:
      return Cp936Text("Excel文件已损坏");
    case WorkbookFailure::kDuplicatePart:
      return Cp936Text("Excel文件中有两个同名的部件，无法保存回去");
    case WorkbookFailure::kOther:
      break;
  }
  return Cp936Text("Excel文件读写出错");
}

}  // namespace

std::string WorkbookFailureLine(const std::exception& failure) {
  const auto* workbook_error = dynamic_cast<const WorkbookError*>(&failure);
  const WorkbookFailure kind = workbook_error ? workbook_error->Kind() : WorkbookFailure::kOther;
  return Cp936Text("原因：") + ReasonText(kind) + Cp936Text(" 【") + Utf8ToCp936(failure.what()) +
         Cp936Text("】");
}

void PrintSavedBeside(const WorkbookSavedBeside& saved) {
  std::string why;
  switch (saved.reason) {
    case WorkbookSavedBeside::Reason::kChangedOnDisk:
      why = Cp936Text("】 已被其他程序改动");
      break;
    case WorkbookSavedBeside::Reason::kOpenInOffice:
      why = Cp936Text("】 正在办公软件中打开");
      break;
    case WorkbookSavedBeside::Reason::kSaveFailed:
      why = Cp936Text("】 无法保存（") +
            ReasonText(saved.failure ? saved.failure->Kind() : WorkbookFailure::kOther) +
            Cp936Text("）");
      break;
  }
  PrintLine(Cp936Text("Excel文件 【") + Utf8ToCp936(saved.workbook) + why +
            Cp936Text("，已将含本次查询结果的工作簿另存为 【") + Utf8ToCp936(saved.written) +
            Cp936Text("】..."));
}

}  // namespace korvan
