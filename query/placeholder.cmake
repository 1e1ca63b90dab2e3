target_sources(korvan_query PRIVATE ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
