korvan_add_test(xlsx_file_test SOURCES xlsx_file_test.cpp LIBS korvan_platform)
target_compile_definitions(xlsx_file_test PRIVATE
  KORVAN_XLSX_FIXTURE="${CMAKE_CURRENT_SOURCE_DIR}/xlsx_fixture.py")
