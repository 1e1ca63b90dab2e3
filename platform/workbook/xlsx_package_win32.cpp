#include <zip.h>

#include "platform/workbook/win32_file.h"
#include "platform/workbook/xlsx_package.h"

namespace korvan {

// The whole file is read into memory: the workbook must stay replaceable by
// a save while the package is open, which a file held open forbids.
zip* XlsxPackage::OpenArchive(int& code) {
  bytes_ = win32::ReadWholeFile(path_);
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes_.data(), bytes_.size(), 0, &error);
  if (!source) {
    code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    return nullptr;
  }
  zip* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
  if (!archive) {
    zip_source_free(source);
    code = zip_error_code_zip(&error);
  }
  zip_error_fini(&error);
  return archive;
}

}  // namespace korvan
