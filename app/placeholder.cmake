target_sources(korvan_app PRIVATE ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
