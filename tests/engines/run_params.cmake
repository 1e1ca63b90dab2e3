korvan_add_test(run_params_test SOURCES run_params_test.cpp http_date_test.cpp
                LIBS korvan_engines)
korvan_add_test(param_page_test SOURCES param_page_test.cpp
                LIBS korvan_engines korvan_test_http_server LABELS threaded)
