korvan_add_test(korvan_text_robustness_test
  SOURCES text_robustness_test.cpp
  LIBS korvan_base)
