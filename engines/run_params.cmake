target_sources(korvan_engines PRIVATE run_globals.cpp http_date.cpp param_page.cpp
                                      run_params.cpp)
target_compile_definitions(korvan_engines PRIVATE
                           KORVAN_PARAM_PAGE_URL="${KORVAN_PARAM_PAGE_URL}")
