target_sources(korvan_platform PRIVATE codepage.cpp)
