target_sources(korvan_app PRIVATE workers.cpp)
