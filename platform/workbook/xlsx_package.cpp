#include "platform/workbook/xlsx_package.h"

#include <zip.h>

#include <memory>
#include <vector>

#include "platform/workbook/new_file.h"
#include "platform/workbook/workbook_file.h"

namespace korvan {

namespace {

// The fastest deflate level: a rewritten sheet is deflated on every save,
// and level 1 takes about a third less time than zlib's default 6 for a
// file only slightly larger. Copied entries keep their bytes as they are.
constexpr zip_uint32_t kDeflateLevel = 1;

// Library texts begin in upper case; in the middle of a message they read
// better without.
std::string Uncapitalised(std::string text) {
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  return text;
}

std::string ErrorText(zip_error_t* error) { return Uncapitalised(zip_error_strerror(error)); }

std::string OpenErrorText(int code) {
  if (code == ZIP_ER_NOZIP) return "not an .xlsx workbook (no zip archive)";
  if (code == ZIP_ER_INCONS || code == ZIP_ER_EOF) return "the file is damaged or truncated";
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = ErrorText(&error);
  zip_error_fini(&error);
  return text;
}

struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

struct SourceFreer {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};

// Discards a package being written unless it was closed.
struct ArchiveDiscarder {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};

}  // namespace

XlsxPackage::XlsxPackage(const std::string& path) : path_(path) {
  int code = 0;
  zip_ = OpenArchive(code);
  if (!zip_) {
    const WorkbookFailure kind = code == ZIP_ER_NOZIP ? WorkbookFailure::kNotWorkbook
                                 : code == ZIP_ER_INCONS || code == ZIP_ER_EOF
                                     ? WorkbookFailure::kDamaged
                                     : WorkbookFailure::kOther;
    throw WorkbookError("cannot open " + path + ": " + OpenErrorText(code), kind);
  }
  if (std::optional<std::string> twice = RepeatedPartName()) {
    zip_discard(zip_);
    throw WorkbookError("cannot open " + path + ": the package holds two parts named " + *twice +
                            "; a workbook holds each part once, and it could not be saved back",
                        WorkbookFailure::kDuplicatePart);
  }
}

std::optional<std::string> XlsxPackage::RepeatedPartName() const {
  // The zip format allows two entries of one name, the package format does
  // not (part names compare without regard to case), and libzip refuses to
  // write them: such a package is refused before it is used. The first
  // entry of a name is the one a case-blind look-up finds.
  const zip_int64_t count = zip_get_num_entries(zip_, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(zip_, static_cast<zip_uint64_t>(i), 0);
    if (name && zip_name_locate(zip_, name, ZIP_FL_NOCASE) != i) return std::string(name);
  }
  return std::nullopt;
}

XlsxPackage::~XlsxPackage() { zip_discard(zip_); }

std::optional<std::size_t> XlsxPackage::Locate(std::string_view part) const {
  std::string name(part);
  zip_int64_t index = zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE);
  if (index < 0) return std::nullopt;
  return static_cast<std::size_t>(index);
}

bool XlsxPackage::Has(std::string_view part) const { return Locate(part).has_value(); }

std::string XlsxPackage::Read(std::string_view part) const {
  std::optional<std::string> bytes = ReadIfPresent(part);
  if (!bytes)
    throw WorkbookError(path_ + ": damaged workbook, part " + std::string(part) + " is missing");
  return std::move(*bytes);
}

std::optional<std::string> XlsxPackage::ReadIfPresent(std::string_view part) const {
  std::optional<std::size_t> index = Locate(part);
  if (!index) return std::nullopt;
  return ReadIndex(*index, part);
}

std::string XlsxPackage::ReadIndex(std::size_t index, std::string_view part) const {
  const std::string where = path_ + ", part " + std::string(part);
  std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(zip_, index, 0));
  if (!file) throw WorkbookError("cannot read " + where + ": " + ErrorText(zip_get_error(zip_)));
  std::string bytes;
  zip_stat_t stat;
  if (zip_stat_index(zip_, index, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) &&
      stat.size <= kXlsxMaxPartBytes) {
    bytes.reserve(static_cast<std::size_t>(stat.size));  // a hint only; the cap is checked below
  }
  std::vector<char> chunk(std::size_t{1} << 16);
  for (;;) {
    zip_int64_t n = zip_fread(file.get(), chunk.data(), chunk.size());
    if (n < 0) {
      throw WorkbookError("cannot read " + where + ": " +
                          ErrorText(zip_file_get_error(file.get())));
    }
    if (n == 0) break;
    if (bytes.size() + static_cast<std::size_t>(n) > kXlsxMaxPartBytes) {
      throw WorkbookError("cannot read " + where + ": it inflates to more than " +
                          std::to_string(kXlsxMaxPartBytes >> 20) + " MiB");
    }
    bytes.append(chunk.data(), static_cast<std::size_t>(n));
  }
  return bytes;
}

void XlsxPackage::WriteCopy(const std::string& path,
                            const std::map<std::string, std::string>& replaced,
                            const std::set<std::string>& dropped) const {
  auto fail = [&path](const std::string& reason) {
    return WorkbookError("cannot write " + path + ": " + reason);
  };
  // The package is built in memory and written into a file created here:
  // libzip would write a temporary file of its own beside `path` and rename
  // it over whatever is there.
  NewFile file(path);
  zip_error_t error;
  zip_error_init(&error);
  std::unique_ptr<zip_source_t, SourceFreer> buffer(
      zip_source_buffer_create(nullptr, 0, 0, &error));
  if (!buffer) throw fail(ErrorText(&error));
  zip_source_keep(buffer.get());  // the archive takes one reference, `buffer` keeps one
  std::unique_ptr<zip_t, ArchiveDiscarder> out(
      zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error));
  if (!out) {
    zip_source_free(buffer.get());  // the reference the archive did not take
    throw fail(ErrorText(&error));
  }

  // Replacement bytes by entry index; libzip reads them only in zip_close,
  // and the map they point into outlives it.
  std::map<std::size_t, const std::string*> new_bytes;
  for (const auto& [part, bytes] : replaced) {
    std::optional<std::size_t> index = Locate(part);
    if (!index) throw fail("the package has no part " + part);
    new_bytes[*index] = &bytes;
  }
  std::set<std::size_t> left_out;
  for (const std::string& part : dropped) {
    if (std::optional<std::size_t> index = Locate(part)) left_out.insert(*index);
  }

  zip_int64_t count = zip_get_num_entries(zip_, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    std::size_t index = static_cast<std::size_t>(i);
    if (left_out.count(index)) continue;
    const char* name = zip_get_name(zip_, index, 0);
    zip_stat_t stat;
    if (!name || zip_stat_index(zip_, index, 0, &stat) != 0) {
      throw fail("cannot read " + path_ + ": " + ErrorText(zip_get_error(zip_)));
    }
    auto replacement = new_bytes.find(index);
    zip_source_t* source = replacement != new_bytes.end()
                               ? zip_source_buffer(out.get(), replacement->second->data(),
                                                   replacement->second->size(), 0)
                               : zip_source_zip(out.get(), zip_, index, 0, 0, -1);
    if (!source) throw fail(ErrorText(zip_get_error(out.get())));
    zip_int64_t added = zip_file_add(out.get(), name, source, ZIP_FL_ENC_GUESS);
    if (added < 0) {
      zip_source_free(source);
      throw fail(ErrorText(zip_get_error(out.get())));
    }
    zip_uint64_t at = static_cast<zip_uint64_t>(added);
    // A copied entry keeps its compression so that libzip copies its bytes
    // as they are; a replaced one is deflated.
    zip_int32_t method = replacement != new_bytes.end() || !(stat.valid & ZIP_STAT_COMP_METHOD)
                             ? ZIP_CM_DEFLATE
                             : static_cast<zip_int32_t>(stat.comp_method);
    if (zip_set_file_compression(out.get(), at, method, kDeflateLevel) != 0) {
      throw fail(ErrorText(zip_get_error(out.get())));
    }
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(zip_, index, 0, &system, &attributes) == 0) {
      zip_file_set_external_attributes(out.get(), at, 0, system, attributes);
    }
  }
  if (zip_close(out.get()) != 0) throw fail(ErrorText(zip_get_error(out.get())));
  out.release();  // closed: nothing left to discard

  if (zip_source_open(buffer.get()) != 0) throw fail(ErrorText(zip_source_error(buffer.get())));
  std::vector<char> chunk(std::size_t{1} << 16);
  for (;;) {
    const zip_int64_t n = zip_source_read(buffer.get(), chunk.data(), chunk.size());
    if (n < 0) {
      zip_source_close(buffer.get());
      throw fail(ErrorText(zip_source_error(buffer.get())));
    }
    if (n == 0) break;
    try {
      file.Write(chunk.data(), static_cast<std::size_t>(n));
    } catch (const WorkbookError&) {
      zip_source_close(buffer.get());
      throw;
    }
  }
  zip_source_close(buffer.get());
  file.Close();
}

}  // namespace korvan
