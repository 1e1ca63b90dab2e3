korvan_add_test(http_client_test SOURCES http_client_test.cpp
                LIBS korvan_platform korvan_test_http_server LABELS threaded)
