korvan_add_test(xls_file_test SOURCES xls_file_test.cpp xls_records_test.cpp LIBS korvan_platform)
target_compile_definitions(xls_file_test PRIVATE
  KORVAN_XLS_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/xls_fixtures.py")
