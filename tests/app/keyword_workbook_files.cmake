# Real workbook files, made and read back by Python's openpyxl, xlwt and xlrd
# and by LibreOffice; built once both formats are in the tree.
if(EXISTS ${PROJECT_SOURCE_DIR}/platform/workbook/xls_file.cpp AND
   EXISTS ${PROJECT_SOURCE_DIR}/platform/workbook/xlsx_file.cpp)
  korvan_add_test(keyword_workbook_files_test SOURCES keyword_workbook_files_test.cpp
                  LIBS korvan_app)
  target_compile_definitions(keyword_workbook_files_test PRIVATE
    KORVAN_INTEROP_SCRIPT="${PROJECT_SOURCE_DIR}/tests/support/workbook_interop.py")
endif()
