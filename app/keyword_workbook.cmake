target_sources(korvan_app PRIVATE keyword_workbook.cpp)
