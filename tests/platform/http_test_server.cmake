# The loopback server helper of tests/support, for any test that links it.
pkg_check_modules(KORVAN_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(ZLIB REQUIRED)
add_library(korvan_test_http_server INTERFACE)
target_link_libraries(korvan_test_http_server INTERFACE PkgConfig::KORVAN_HTTPLIB ZLIB::ZLIB)
