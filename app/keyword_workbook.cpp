#include "app/keyword_workbook.h"

#include "engines/engine.h"
#include "platform/date_text.h"
#include "text/string_helpers.h"

namespace korvan {

std::int32_t FailCount = 0;

namespace {

constexpr const char* kDateField = "\xC8\xD5\xC6\xDA";                    // 日期
constexpr const char* kTimeField = "\xCA\xB1\xBC\xE4";                    // 时间
constexpr const char* kEngineField = "\xCB\xD1\xCB\xF7\xD2\xFD\xC7\xE6";  // 搜索引擎

}  // namespace

std::string SheetHost(const std::string& table_name) {
  std::string name = ReplaceAll(ReplaceAll(table_name, "#", "."), ")", "/");
  if (!name.empty()) name.pop_back();
  return std::string(TrimBlanks(name));
}

void ReadSheetNames(const WorkbookConnection& connection, TStringList& sheet_names) {
  sheet_names.Clear();
  for (const TableSchemaEntry& entry : connection.TableSchema()) {
    if (entry.TableType == "TABLE" || entry.TableType == "VIEW") sheet_names.Add(entry.TableName);
  }
}

bool FindDayRow(const std::string& engine_name, WorkbookTable& table, double run_date) {
  const double day = DateOnly(run_date);
  table.MoveLast();
  while (!table.Bof()) {
    const auto row_day = ParseDateYmd(table.GetText(kDateField));
    if (!row_day || *row_day < day) return false;
    if (*row_day == day && table.GetText(kEngineField) == engine_name) return true;
    table.MovePrevious();
  }
  return false;
}

bool FixedColumnsLead(const std::vector<std::string>& field_names) {
  int fixed_columns = 0;
  for (std::size_t index = 0; index < 3 && index < field_names.size(); ++index) {
    for (const char* fixed : {kDateField, kTimeField, kEngineField}) {
      if (field_names[index] == fixed) ++fixed_columns;
    }
  }
  return fixed_columns == 3;
}

bool ReadKeywordColumns(WorkbookTable& table, TStringList& keywords) {
  keywords.Clear();
  std::vector<std::string> names;
  const int field_count = table.FieldCount();
  for (int index = 0; index < field_count; ++index) names.push_back(table.FieldName(index));
  if (names.size() <= 3 || !FixedColumnsLead(names)) return false;
  for (std::size_t index = 3; index < names.size(); ++index) keywords.Add(names[index]);
  return true;
}

bool PrepareKeywords(const std::string& engine_name, WorkbookTable& table, bool skip_filled,
                     TStringList& keywords, double run_date) {
  if (!ReadKeywordColumns(table, keywords)) return false;

  if (FindDayRow(engine_name, table, run_date)) {
    if (skip_filled) {
      for (int k = keywords.Count() - 1; k >= 0; --k) {
        if (!table.GetText(keywords[k]).empty()) keywords.Delete(k);
      }
    }
    return true;
  }
  table.AddNew();
  table.SetText(kDateField, FormatDateYmd(run_date));
  table.SetText(kTimeField, FormatTimeHms(run_date));
  table.SetText(kEngineField, engine_name);
  table.Update();
  return true;
}

void WriteResults(WorkbookTable& table, int engine_index) {
  TTheardParam& engine = Engines[engine_index];
  if (!engine.Done.load(std::memory_order_acquire)) return;
  if (!engine.Keywords || !engine.Results || engine.Keywords->Empty()) return;
  if (engine.Results->Count() != engine.Keywords->Count()) return;
  if (!FindDayRow(engine.Name, table, engine.RunDate)) return;

  table.Edit();
  bool written = false;
  for (int k = 0; k < engine.Keywords->Count(); ++k) {
    const std::string& result = (*engine.Results)[k];
    if (result.empty()) {
      ++FailCount;
    } else {
      table.SetText((*engine.Keywords)[k], result);
      written = true;
    }
  }
  if (written) table.SetText(kTimeField, FormatTimeHms(engine.RunDate));
  table.Update();
  engine.Results->Clear();
  engine.Keywords->Clear();
}

}  // namespace korvan
