# The worker fetches through query/fetch_page.cpp, which comes with the HTTP
# client; the worker test is built once that is in the tree.
if(EXISTS ${PROJECT_SOURCE_DIR}/query/fetch_page.cpp)
  korvan_add_test(query_thread_test SOURCES query_thread_test.cpp
                  LIBS korvan_query LABELS threaded)
endif()
