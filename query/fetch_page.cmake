target_sources(korvan_query PRIVATE fetch_page.cpp)
