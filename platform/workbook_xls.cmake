# The Excel 97-2003 (.xls, BIFF8) format of the workbook file, over libgsf.
pkg_check_modules(KORVAN_LIBGSF REQUIRED IMPORTED_TARGET libgsf-1)
target_sources(korvan_platform PRIVATE
  workbook/xls_container.cpp
  workbook/xls_file.cpp
  workbook/xls_formats.cpp
  workbook/xls_globals.cpp
  workbook/xls_records.cpp
  workbook/xls_rk.cpp
  workbook/xls_sheet.cpp
  workbook/xls_sheet_writer.cpp
  workbook/xls_sst.cpp
  workbook/xls_sst_builder.cpp
  workbook/xls_stream_writer.cpp
  workbook/xls_text.cpp)
target_link_libraries(korvan_platform PUBLIC PkgConfig::KORVAN_LIBGSF)
