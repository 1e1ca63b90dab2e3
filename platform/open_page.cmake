target_sources(korvan_platform PRIVATE open_page.cpp)
