target_sources(korvan_app PRIVATE run_summary.cpp)
