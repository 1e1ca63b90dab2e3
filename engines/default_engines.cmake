target_sources(korvan_engines PRIVATE default_engines.cpp int_text.cpp)
