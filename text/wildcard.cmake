target_sources(korvan_base PRIVATE wildcard.cpp)
