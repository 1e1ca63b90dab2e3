# Result-block extraction against libxml2's HTML parser on the same pages.
pkg_check_modules(KORVAN_BENCH_LIBXML2 REQUIRED IMPORTED_TARGET libxml-2.0)
add_executable(extract_blocks_bench extract_blocks_bench.cpp)
korvan_target_settings(extract_blocks_bench)
target_link_libraries(extract_blocks_bench PRIVATE korvan_engines korvan_base benchmark::benchmark
                                                   PkgConfig::KORVAN_BENCH_LIBXML2)
