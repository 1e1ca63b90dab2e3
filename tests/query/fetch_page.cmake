korvan_add_test(fetch_page_test SOURCES fetch_page_test.cpp
                LIBS korvan_query korvan_test_http_server LABELS threaded)
