target_sources(korvan_platform PRIVATE tick_count.cpp)
