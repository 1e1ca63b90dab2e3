#include "app/workbook_messages.h"

#include "platform/codepage.h"
#include "platform/console_output.h"

namespace korvan {

namespace {

// Console texts, code page 936.
struct Texts {
  std::string reason = Utf8ToCp936("原因：");
  std::string other = Utf8ToCp936("Excel文件读写出错");
  std::string not_found = Utf8ToCp936("找不到Excel文件或它所在的文件夹");
  std::string no_access = Utf8ToCp936("没有读写Excel文件或它所在文件夹的权限");
  std::string no_space = Utf8ToCp936("磁盘空间不足");
  std::string open_in_office = Utf8ToCp936("Excel文件正在办公软件中打开，请先在那里关闭它");
  std::string in_use = Utf8ToCp936("Excel文件正被另一个运行中的本程序使用");
  std::string not_workbook = Utf8ToCp936("文件不是Excel工作簿");
  std::string old_format =
      Utf8ToCp936("Excel文件是Excel 5.0/95或更早的格式，请先另存为Excel 97-2003格式");
  std::string damaged = Utf8ToCp936("Excel文件已损坏");
  std::string duplicate_part = Utf8ToCp936("Excel文件中有两个同名的部件，无法保存回去");
  std::string open_bracket = Utf8ToCp936(" 【");
  std::string close_bracket = Utf8ToCp936("】");
  std::string beside_head = Utf8ToCp936("Excel文件 【");
  std::string changed = Utf8ToCp936("】 已被其他程序改动");
  std::string in_office = Utf8ToCp936("】 正在办公软件中打开");
  std::string save_failed = Utf8ToCp936("】 无法保存（");
  std::string save_failed_end = Utf8ToCp936("）");
  std::string beside_tail = Utf8ToCp936("，已将含本次查询结果的工作簿另存为 【");
  std::string beside_end = Utf8ToCp936("】...");
};

const Texts& T() {
  static const Texts texts;
  return texts;
}

const std::string& ReasonText(WorkbookFailure kind) {
  const Texts& t = T();
  switch (kind) {
    case WorkbookFailure::kNotFound:
      return t.not_found;
    case WorkbookFailure::kNoAccess:
      return t.no_access;
    case WorkbookFailure::kNoSpace:
      return t.no_space;
    case WorkbookFailure::kOpenInOffice:
      return t.open_in_office;
    case WorkbookFailure::kInUse:
      return t.in_use;
    case WorkbookFailure::kNotWorkbook:
      return t.not_workbook;
    case WorkbookFailure::kOldFormat:
      return t.old_format;
    case WorkbookFailure::kDamaged:
      return t.damaged;
    case WorkbookFailure::kDuplicatePart:
      return t.duplicate_part;
    case WorkbookFailure::kOther:
      break;
  }
  return t.other;
}

}  // namespace

std::string WorkbookFailureLine(const std::exception& failure) {
  const Texts& t = T();
  const auto* workbook_error = dynamic_cast<const WorkbookError*>(&failure);
  const WorkbookFailure kind = workbook_error ? workbook_error->Kind() : WorkbookFailure::kOther;
  return t.reason + ReasonText(kind) + t.open_bracket + Utf8ToCp936(failure.what()) +
         t.close_bracket;
}

void PrintSavedBeside(const WorkbookSavedBeside& saved) {
  const Texts& t = T();
  std::string why;
  switch (saved.reason) {
    case WorkbookSavedBeside::Reason::kChangedOnDisk:
      why = t.changed;
      break;
    case WorkbookSavedBeside::Reason::kOpenInOffice:
      why = t.in_office;
      break;
    case WorkbookSavedBeside::Reason::kSaveFailed:
      why = t.save_failed +
            ReasonText(saved.failure ? saved.failure->Kind() : WorkbookFailure::kOther) +
            t.save_failed_end;
      break;
  }
  PrintLine(t.beside_head + Utf8ToCp936(saved.workbook) + why + t.beside_tail +
            Utf8ToCp936(saved.written) + t.beside_end);
}

}  // namespace korvan
