target_sources(
  korvan_query
  PRIVATE esc_key_thread.cpp
          keyword_line.cpp
          messages.cpp
          page_analysis.cpp
          query_thread.cpp
          query_url.cpp
          thread_base.cpp
          thread_strings.cpp)
