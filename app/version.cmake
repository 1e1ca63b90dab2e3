target_sources(korvan_app PRIVATE version.cpp)
