pkg_check_modules(KORVAN_QUERY_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
korvan_add_test(query_thread_test SOURCES query_thread_test.cpp
                LIBS korvan_query PkgConfig::KORVAN_QUERY_HTTPLIB LABELS threaded)
