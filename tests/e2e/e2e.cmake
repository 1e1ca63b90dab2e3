# End-to-end tests: the korvan executable in a temporary run folder against a
# loopback web, one CTest test per scenario, each with a hard time limit.
if(TARGET korvan)
  set(_korvan_e2e_cases
      FirstRunAndMenuReruns
      SecondExecutionSameDay
      EscDuringSheet
      MissingWorkbook
      WorkbookCannotBeOpened
      ParamPageUnreachable
      SheetsWithoutKeywords
      VersionNoticeAndExitPage)
  foreach(_case IN LISTS _korvan_e2e_cases)
    add_test(NAME e2e.${_case}
             COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/e2e_test.py
                     $<TARGET_FILE:korvan> ${_case})
    set_tests_properties(e2e.${_case} PROPERTIES LABELS e2e TIMEOUT 180)
  endforeach()
endif()
