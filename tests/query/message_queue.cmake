korvan_add_test(thread_strings_test SOURCES thread_strings_test.cpp LIBS korvan_query
                LABELS threaded)
korvan_add_test(esc_key_thread_test SOURCES esc_key_thread_test.cpp LIBS korvan_query
                LABELS threaded)
