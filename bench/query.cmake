# Needs the page fetch (query/fetch_page.cpp), which comes with the HTTP client.
if(EXISTS ${PROJECT_SOURCE_DIR}/query/fetch_page.cpp)
  add_executable(query_bench query_bench.cpp)
  korvan_target_settings(query_bench)
  target_link_libraries(query_bench PRIVATE korvan_query)
endif()
