target_sources(korvan_app PRIVATE settings.cpp)
