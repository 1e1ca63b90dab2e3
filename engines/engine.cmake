target_sources(korvan_engines PRIVATE engine.cpp)
