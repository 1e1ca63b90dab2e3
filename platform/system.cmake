target_sources(korvan_platform PRIVATE clock.cpp date_time.cpp exe_dir.cpp)
