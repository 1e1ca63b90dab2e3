# Shared settings for every target of the project.

function(korvan_target_settings target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KORVAN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(KORVAN_SANITIZE)
  add_compile_options(-fsanitize=${KORVAN_SANITIZE} -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=${KORVAN_SANITIZE})
  if(KORVAN_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()

# A library of one folder. Extra settings come from CMake fragments (*.cmake)
# in that folder, so that each part of the folder registers its own sources.
function(korvan_library target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  korvan_target_settings(${target})
endfunction()

# Includes every *.cmake fragment of the calling folder, in name order.
macro(korvan_include_fragments)
  file(GLOB _korvan_fragments CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/*.cmake")
  list(SORT _korvan_fragments)
  foreach(_fragment IN LISTS _korvan_fragments)
    include(${_fragment})
  endforeach()
endmacro()

# korvan_add_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l1 l2])
# Builds one GoogleTest executable and registers its tests with CTest.
function(korvan_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  korvan_target_settings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main
                                        GTest::gmock Threads::Threads)
  # An empty LABELS value would vanish from the list and turn TIMEOUT into
  # the label, leaving the test without its time limit.
  set(_properties TIMEOUT 300)
  if(ARG_LABELS)
    list(APPEND _properties LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${_properties})
endfunction()
