# One run over a big keyword workbook in both formats, beside openpyxl; built
# once both formats are in the tree.
if(EXISTS ${PROJECT_SOURCE_DIR}/platform/workbook/xls_file.cpp AND
   EXISTS ${PROJECT_SOURCE_DIR}/platform/workbook/xlsx_file.cpp)
  add_executable(workbook_bench workbook_bench.cpp)
  korvan_target_settings(workbook_bench)
  target_link_libraries(workbook_bench PRIVATE korvan_app)
  target_compile_definitions(workbook_bench PRIVATE
    KORVAN_BENCH_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/openpyxl_workbook.py")
endif()
