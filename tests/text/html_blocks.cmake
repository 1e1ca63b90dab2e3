korvan_add_test(korvan_html_blocks_test
  SOURCES html_blocks_test.cpp html_blocks_reference_test.cpp
  LIBS korvan_base)
