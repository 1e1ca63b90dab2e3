# The .xlsx format of the workbook component: zip package through libzip,
# XML parts through pugixml.
pkg_check_modules(KORVAN_LIBZIP REQUIRED IMPORTED_TARGET libzip)
pkg_check_modules(KORVAN_PUGIXML REQUIRED IMPORTED_TARGET pugixml)
target_sources(korvan_platform PRIVATE
  workbook/xlsx_cell_ref.cpp
  workbook/xlsx_file.cpp
  workbook/xlsx_package.cpp
  workbook/xlsx_parts.cpp
  workbook/xlsx_shared_strings.cpp
  workbook/xlsx_sheet_read.cpp
  workbook/xlsx_sheet_walk.cpp
  workbook/xlsx_sheet_write.cpp
  workbook/xlsx_styles.cpp
  workbook/xlsx_text.cpp
  workbook/xlsx_workbook.cpp
  workbook/xlsx_xml.cpp)
target_link_libraries(korvan_platform PRIVATE PkgConfig::KORVAN_LIBZIP PUBLIC PkgConfig::KORVAN_PUGIXML)
