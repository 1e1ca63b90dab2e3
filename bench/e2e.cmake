# The end-to-end benchmark runs the executable against a loopback web:
#   cmake --build build --target e2e_bench
if(TARGET korvan)
  add_custom_target(e2e_bench
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/e2e_bench.py $<TARGET_FILE:korvan>
    DEPENDS korvan USES_TERMINAL)
endif()
