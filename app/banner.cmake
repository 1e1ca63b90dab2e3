target_sources(korvan_app PRIVATE banner.cpp)
