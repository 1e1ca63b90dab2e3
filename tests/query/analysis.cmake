korvan_add_test(messages_test SOURCES messages_test.cpp LIBS korvan_query)
korvan_add_test(query_url_test SOURCES query_url_test.cpp LIBS korvan_query)
korvan_add_test(page_analysis_test SOURCES page_analysis_test.cpp LIBS korvan_query)
