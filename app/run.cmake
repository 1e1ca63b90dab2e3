# The main routine needs the keyword workbook logic; until it is part of the
# tree the run control sources and the executable are left out.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/keyword_workbook.h)
  target_sources(korvan_app PRIVATE query_run.cpp program.cpp)
endif()
