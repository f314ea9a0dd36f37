# Tests that run a Windows program under Wine (scripts/wine-run): one CTest entry per test
# program, each in a prefix of its own with COM1..COM255 mapped.
#
#   add_wine_test(NAME n TARGET t [TIMEOUT s] [DPI n] [COM "N=PATH"...] [BG "command"...] [ARGS ...])
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(TEVRIN_NATIVE_BIN "" CACHE PATH "bin folder of the native build (widget emulator)")
# The 32-bit build registers only the bridge's end-to-end run.
set(TEVRIN_WINE_TESTS "" CACHE STRING "Names of the Wine tests to register (all when empty)")

function(add_wine_test)
  cmake_parse_arguments(W "" "NAME;TARGET;TIMEOUT;DPI" "COM;BG;ARGS" ${ARGN})
  if(TEVRIN_WINE_TESTS AND NOT W_NAME IN_LIST TEVRIN_WINE_TESTS)
    return()
  endif()
  if(NOT W_TIMEOUT)
    set(W_TIMEOUT 120)
  endif()
  set(opts)
  if(W_DPI)
    list(APPEND opts --dpi ${W_DPI})
  endif()
  foreach(c IN LISTS W_COM)
    list(APPEND opts --com "${c}")
  endforeach()
  foreach(b IN LISTS W_BG)
    list(APPEND opts --bg "${b}")
  endforeach()
  add_test(NAME ${W_NAME}
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run --build ${CMAKE_BINARY_DIR}
            --work ${CMAKE_BINARY_DIR}/wine-runs/${W_NAME} ${opts}
            -- $<TARGET_FILE:${W_TARGET}> ${W_ARGS})
  set_tests_properties(${W_NAME} PROPERTIES TIMEOUT ${W_TIMEOUT} LABELS wine)
endfunction()
