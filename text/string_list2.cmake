target_sources(korvan_base PRIVATE string_list2.cpp)
