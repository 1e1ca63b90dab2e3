target_sources(korvan_app PRIVATE process_exit.cpp)
