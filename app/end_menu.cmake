target_sources(korvan_app PRIVATE end_menu.cpp)
