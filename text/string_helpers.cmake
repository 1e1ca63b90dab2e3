target_sources(korvan_base PRIVATE string_helpers.cpp)
