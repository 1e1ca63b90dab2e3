// One run over a keyword workbook as the run control makes it, with the
// workers' answers given by the caller: for the tests on real files and the
// benchmark. Throws what the workbook throws.
#pragma once

#include <memory>
#include <string>

#include "app/keyword_workbook.h"
#include "engines/engine.h"
#include "platform/codepage.h"
#include "tests/support/connection_string.h"

namespace korvan::testing {

// Appends an engine as a finished worker leaves it, with empty lists.
inline void AddFinishedEngine(const std::string& utf8_name, double run_date) {
  TTheardParam engine;
  engine.Name = Utf8ToCp936(utf8_name);
  engine.RunDate = run_date;
  engine.Keywords = std::make_unique<TStringList>();
  engine.Results = std::make_unique<TStringList>();
  engine.Done = true;
  Engines.push_back(std::move(engine));
}

// Every sheet: every engine's PrepareKeywords (skip filled), its results
// from result_of(engine index, position in its keyword list, keyword), then
// WriteResults for every engine.
template <typename ResultOf>
void RunAllSheets(const std::string& path, ResultOf result_of) {
  WorkbookConnection connection;
  connection.Open(ConnectionStringFor(path));
  TStringList sheets;
  ReadSheetNames(connection, sheets);
  WorkbookTable table(connection);
  for (int i = 0; i < sheets.Count(); ++i) {
    table.Close();
    table.SetTableName(sheets[i]);
    table.Open();
    for (std::size_t e = 0; e < Engines.size(); ++e) {
      TTheardParam& engine = Engines[e];
      PrepareKeywords(engine.Name, table, true, *engine.Keywords, engine.RunDate);
      engine.Results->Clear();
      for (int k = 0; k < engine.Keywords->Count(); ++k) {
        engine.Results->Add(result_of(static_cast<int>(e), k, (*engine.Keywords)[k]));
      }
    }
    for (std::size_t e = 0; e < Engines.size(); ++e) WriteResults(table, static_cast<int>(e));
  }
  table.Close();
  connection.Close();
}

}  // namespace korvan::testing
