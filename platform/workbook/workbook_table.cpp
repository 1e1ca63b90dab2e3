#include "platform/workbook/workbook_table.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "platform/codepage.h"
#include "platform/workbook/atomic_replace.h"
#include "platform/workbook/cell_text.h"
#include "platform/workbook/file_lock.h"
#include "platform/workbook/name_exists.h"
#include "platform/workbook/workbook_saver.h"

namespace korvan {

namespace {

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The conversions at this interface, without a converter for the common
// ASCII-only texts (dates, times, ranks), which read the same in both.
std::string ToUtf8(const std::string& cp936) { return IsAscii(cp936) ? cp936 : Cp936ToUtf8(cp936); }
std::string ToCp936(const std::string& utf8) { return IsAscii(utf8) ? utf8 : Utf8ToCp936(utf8); }

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return text.substr(begin, end - begin);
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

// The value of the "Data Source" item of a connection string (items split
// at ";", names without regard to case, one pair of quotes removed).
std::string DataSourceOf(const std::string& connection_string) {
  std::size_t start = 0;
  while (start <= connection_string.size()) {
    std::size_t end = connection_string.find(';', start);
    if (end == std::string::npos) end = connection_string.size();
    const std::string item = connection_string.substr(start, end - start);
    const std::size_t equals = item.find('=');
    if (equals != std::string::npos &&
        EqualsIgnoringCase(Trim(item.substr(0, equals)), "Data Source")) {
      std::string value = Trim(item.substr(equals + 1));
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
      }
      if (!value.empty()) return value;
    }
    start = end + 1;
  }
  throw WorkbookError("the connection string names no workbook (no \"Data Source=\" item)");
}

// The listed table name of a worksheet: code page 936, "." written as "#",
// then "$".
std::string TableNameOfSheet(const std::string& utf8_name) {
  std::string name = ToCp936(utf8_name);
  std::replace(name.begin(), name.end(), '.', '#');
  return name + "$";
}

// The file a workbook name stands for: a symbolic link's target, so that
// saves replace that file in its own folder instead of the link.
std::string FileOfWorkbook(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path name = FsPath(path);
  if (!std::filesystem::is_symlink(name, ec)) return path;
  const std::filesystem::path target = std::filesystem::canonical(name, ec);
  return ec ? path : Utf8OfPath(target);  // a dangling link fails to open as it is
}

const Cell* CellAt(const SheetCells& cells, std::size_t row, std::size_t col) {
  if (row >= cells.rows.size() || col >= cells.rows[row].size()) return nullptr;
  return &cells.rows[row][col];
}

}  // namespace

std::string WorkbookConnectionString(const std::string& workbook_path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + workbook_path +
         ";Extended Properties=Excel 8.0;Persist Security Info=False";
}

bool WorkbookCanHoldText(const std::string& cp936) {
  const bool controls = std::any_of(cp936.begin(), cp936.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b < 32 && b != '\t' && b != '\r' && b != '\n') || b == 127;
  });
  return !controls && ToCp936(ToUtf8(cp936)) == cp936;
}

// ---------------------------------------------------------------------------

struct WorkbookConnection::State {
  WorkbookOpener opener;
  std::string path;  // the workbook's file-system name as given (a link stays a link)
  std::unique_ptr<WorkbookFile> file;
  WorkbookLock lock;
  WorkbookSaver saver;
  bool unsaved = false;  // a change not yet on disk
  std::vector<std::string> table_names;

  WorkbookFile& File() {
    if (!file) throw WorkbookError("the workbook connection is not open");
    return *file;
  }

  void Save() {
    if (!file || !(unsaved || file->Modified())) return;
    saver.Save(*file, lock);
    unsaved = false;
  }
};

WorkbookConnection::WorkbookConnection() : WorkbookConnection(OpenWorkbookFile) {}

WorkbookConnection::WorkbookConnection(WorkbookOpener opener) : state_(std::make_unique<State>()) {
  state_->opener = std::move(opener);
}

WorkbookConnection::~WorkbookConnection() {
  try {
    Close();
  } catch (...) {
    // A destructor never throws; the file on disk stays the last saved one.
  }
}

void WorkbookConnection::Open(const std::string& connection_string) {
  if (state_->file) throw WorkbookError("the workbook connection is already open");
  const std::string given_path = ToUtf8(DataSourceOf(connection_string));
  const std::string path = FileOfWorkbook(given_path);
  state_->lock.Acquire(path);
  RemoveStaleTemporaries(path);
  state_->saver.Start(path);
  try {
    state_->file = state_->opener(path);
    if (!state_->file) throw WorkbookError("cannot open " + path);
  } catch (...) {
    state_->lock.Release();
    throw;
  }
  state_->path = given_path;
  state_->unsaved = false;
  state_->table_names.clear();
  for (int sheet = 0; sheet < state_->file->SheetCount(); ++sheet) {
    state_->table_names.push_back(TableNameOfSheet(state_->file->SheetName(sheet)));
  }
}

bool WorkbookConnection::IsOpen() const { return state_->file != nullptr; }

void WorkbookConnection::SetSavedBesideReporter(SavedBesideReporter reporter) {
  state_->saver.SetReporter(std::move(reporter));
}

std::vector<TableSchemaEntry> WorkbookConnection::TableSchema() const {
  if (!state_->file) throw WorkbookError("the workbook connection is not open");
  std::vector<TableSchemaEntry> entries;
  for (const std::string& name : state_->table_names) entries.push_back({"TABLE", name});
  return entries;
}

const std::string& WorkbookConnection::FilePath() const {
  if (!state_->file) throw WorkbookError("the workbook connection is not open");
  return state_->path;
}

const SheetCells& WorkbookConnection::Cells(int sheet) {
  WorkbookFile& file = state_->File();
  if (sheet < 0 || sheet >= file.SheetCount()) {
    throw WorkbookError("the workbook has no worksheet number " + std::to_string(sheet + 1));
  }
  return file.Cells(sheet);
}

void WorkbookConnection::Close() {
  if (!state_->file) return;
  struct Release {
    State& state;
    ~Release() {
      state.file.reset();
      state.lock.Release();
      state.table_names.clear();
      state.unsaved = false;
    }
  } release{*state_};
  state_->Save();
}

// ---------------------------------------------------------------------------

struct WorkbookTable::State {
  enum class Mode { kNone, kEdit, kAdd };
  struct Field {
    std::string name;  // code page 936
    std::uint32_t column;
  };

  explicit State(WorkbookConnection& c) : connection(c) {}

  WorkbookConnection& connection;
  std::string name;
  bool open = false;
  int sheet = -1;
  std::vector<Field> fields;
  long records = 0;   // rows below the header row
  long current = -1;  // record index; -1 is before the first record
  Mode mode = Mode::kNone;
  std::vector<std::pair<std::uint32_t, std::string>> pending;  // column, code page 936 text
  bool changed = false;

  WorkbookConnection::State& Connection() { return *connection.state_; }

  void RequireOpen() const {
    if (!open) throw WorkbookError("the worksheet table is not open");
  }

  std::uint32_t ColumnOf(const std::string& field) const {
    RequireOpen();
    for (const Field& f : fields) {
      if (f.name == field) return f.column;
    }
    throw WorkbookError("worksheet " + ToUtf8(name) + " has no column " + ToUtf8(field));
  }

  // Writes the edited or appended record into the sheet.
  void Store() {
    if (mode == Mode::kNone) return;
    const Mode stored = mode;
    mode = Mode::kNone;
    if (pending.empty()) return;  // an empty record does not exist in a sheet
    const std::uint32_t row =
        static_cast<std::uint32_t>(stored == Mode::kAdd ? records + 1 : current + 1);
    WorkbookFile& file = Connection().File();
    auto values = std::move(pending);
    pending.clear();
    for (const auto& [column, text] : values) file.SetText(sheet, row, column, ToUtf8(text));
    changed = true;
    Connection().unsaved = true;
    if (stored == Mode::kAdd) {
      ++records;
      current = records - 1;
    }
  }
};

WorkbookTable::WorkbookTable(WorkbookConnection& connection)
    : state_(std::make_unique<State>(connection)) {}

WorkbookTable::~WorkbookTable() {
  try {
    Close();
  } catch (...) {
    // A destructor never throws; the connection's close saves what is left.
  }
}

void WorkbookTable::SetTableName(const std::string& name) {
  if (state_->open) throw WorkbookError("close the worksheet table before naming another one");
  state_->name = name;
}

void WorkbookTable::Open() {
  State& s = *state_;
  if (s.open) throw WorkbookError("the worksheet table is already open");
  WorkbookConnection::State& connection = s.Connection();
  WorkbookFile& file = connection.File();
  const auto& names = connection.table_names;
  const auto found = std::find(names.begin(), names.end(), s.name);
  if (found == names.end()) {
    throw WorkbookError("the workbook has no worksheet " + ToUtf8(s.name));
  }
  const int sheet = static_cast<int>(found - names.begin());
  const SheetCells& cells = file.Cells(sheet);

  std::vector<State::Field> fields;
  if (!cells.rows.empty()) {
    for (std::size_t col = 0; col < cells.rows[0].size(); ++col) {
      // A column without a header cell is no field: it is neither a keyword
      // nor ever written.
      std::string header = ToCp936(CellText(cells.rows[0][col]));
      if (!header.empty()) fields.push_back({std::move(header), static_cast<std::uint32_t>(col)});
    }
  }
  long last_row = 0;
  for (std::size_t row = cells.rows.size(); row-- > 1;) {
    const auto& cells_of_row = cells.rows[row];
    if (std::any_of(cells_of_row.begin(), cells_of_row.end(),
                    [](const Cell& cell) { return !CellIsEmpty(cell); })) {
      last_row = static_cast<long>(row);
      break;
    }
  }
  s.sheet = sheet;
  s.fields = std::move(fields);
  s.records = last_row;
  s.current = s.records > 0 ? 0 : -1;
  s.mode = State::Mode::kNone;
  s.pending.clear();
  s.changed = false;
  s.open = true;
}

void WorkbookTable::Close() {
  State& s = *state_;
  if (!s.open) return;
  struct MarkClosed {
    State& state;
    ~MarkClosed() {
      state.open = false;
      state.mode = State::Mode::kNone;
      state.pending.clear();
    }
  } mark{s};
  s.Store();
  if (s.changed) {
    s.changed = false;
    s.Connection().Save();
  }
}

int WorkbookTable::FieldCount() const {
  state_->RequireOpen();
  return static_cast<int>(state_->fields.size());
}

std::string WorkbookTable::FieldName(int index) const {
  state_->RequireOpen();
  if (index < 0 || index >= static_cast<int>(state_->fields.size())) {
    throw WorkbookError("no column number " + std::to_string(index + 1) + " in worksheet " +
                        ToUtf8(state_->name));
  }
  return state_->fields[index].name;
}

void WorkbookTable::MoveLast() {
  state_->RequireOpen();
  state_->Store();
  state_->current = state_->records - 1;
}

void WorkbookTable::MovePrevious() {
  state_->RequireOpen();
  state_->Store();
  if (state_->current < 0) throw WorkbookError("there is no record before the first one");
  --state_->current;
}

bool WorkbookTable::Bof() const {
  state_->RequireOpen();
  return state_->current < 0;
}

std::string WorkbookTable::GetText(const std::string& field) const {
  const State& s = *state_;
  const std::uint32_t column = s.ColumnOf(field);
  if (s.mode != State::Mode::kNone) {
    for (const auto& [col, text] : s.pending) {
      if (col == column) return text;
    }
    if (s.mode == State::Mode::kAdd) return {};
  }
  if (s.current < 0) throw WorkbookError("there is no current record to read");
  const SheetCells& cells = s.connection.state_->File().Cells(s.sheet);
  const Cell* cell = CellAt(cells, static_cast<std::size_t>(s.current) + 1, column);
  return cell ? ToCp936(CellText(*cell)) : std::string();
}

void WorkbookTable::SetText(const std::string& field, const std::string& text) {
  State& s = *state_;
  const std::uint32_t column = s.ColumnOf(field);
  if (s.mode == State::Mode::kNone) {
    if (s.current < 0) throw WorkbookError("there is no current record to write");
    s.mode = State::Mode::kEdit;
  }
  for (auto& [col, value] : s.pending) {
    if (col == column) {
      value = text;
      return;
    }
  }
  s.pending.emplace_back(column, text);
}

void WorkbookTable::AddNew() {
  state_->RequireOpen();
  state_->Store();
  state_->mode = State::Mode::kAdd;
}

void WorkbookTable::Edit() {
  state_->RequireOpen();
  if (state_->mode == State::Mode::kAdd) return;
  if (state_->current < 0) throw WorkbookError("there is no current record to edit");
  state_->mode = State::Mode::kEdit;
}

void WorkbookTable::Update() {
  state_->RequireOpen();
  state_->Store();
}

}  // namespace korvan
