target_sources(korvan_platform PRIVATE date_text.cpp)
