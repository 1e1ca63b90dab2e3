target_sources(korvan_base PRIVATE cut_out.cpp)
