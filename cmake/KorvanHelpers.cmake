# Shared settings for every target of the project.

function(korvan_target_settings target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KORVAN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(WIN32)
  # A console program of one file: the C and C++ runtimes and the threads
  # library linked in, so only the DLLs of every Windows are needed.
  add_link_options(-static)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE _WIN32_WINNT=0x0601)
endif()

if(KORVAN_SANITIZE)
  add_compile_options(-fsanitize=${KORVAN_SANITIZE} -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=${KORVAN_SANITIZE})
  if(KORVAN_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()

# A library of one folder, from the sources listed in its CMakeLists.txt.
function(korvan_library target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  korvan_target_settings(${target})
endfunction()

# korvan_add_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l1 l2])
# Builds one GoogleTest executable and registers its tests with CTest.
function(korvan_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  korvan_target_settings(${name})
  # Tests reach the parameter page at the test address.
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} korvan_param_address_test GTest::gtest_main
                                        GTest::gmock Threads::Threads)
  # An empty LABELS value would vanish from the list and turn TIMEOUT into
  # the label, leaving the test without its time limit.
  set(_properties TIMEOUT 300)
  if(ARG_LABELS)
    list(APPEND _properties LABELS "${ARG_LABELS}")
  endif()
  # A cross-built test lists its cases when CTest runs, not during the build.
  if(CMAKE_CROSSCOMPILING)
    set(_discovery DISCOVERY_MODE PRE_TEST)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${_discovery} PROPERTIES ${_properties})
endfunction()
