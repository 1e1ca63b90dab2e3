# The executable users run, at the root of the build folder (build/korvan).
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/keyword_workbook.cpp)
  add_executable(korvan main.cpp)
  korvan_target_settings(korvan)
  target_link_libraries(korvan PRIVATE korvan_app)
  set_target_properties(korvan PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endif()
