korvan_add_test(console_output_test SOURCES console_output_test.cpp open_page_test.cpp
                LIBS korvan_platform)
