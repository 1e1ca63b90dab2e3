korvan_add_test(korvan_text_test
  SOURCES wildcard_test.cpp string_list2_test.cpp string_helpers_test.cpp cut_out_test.cpp
  LIBS korvan_base)
