# How the Windows builds' tests run under Wine. Each Windows build runs the same tests. Whether a
# machine runs 32-bit programs depends on its kernel; where the shipped i686 build cannot run, its
# tests are reported as skipped, with the reason, rather than left out or passed.

set(TORVA_WINE_SKIP "")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TORVA_PE_FORMAT pei-i386)
  # The shipped program, a download: 300 KB at most.
  set(TORVA_MAX_PROGRAM_BYTES 307200)
  execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/tools/runs-32bit.sh
                  RESULT_VARIABLE cannot_run OUTPUT_VARIABLE reason OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(cannot_run)
    set(TORVA_WINE_SKIP "${reason}")
    message(STATUS "The tests that run this build under Wine will be skipped: ${reason}")
  endif()
else()
  set(TORVA_PE_FORMAT pei-x86-64)
endif()

# A test in place of those that cannot run here, reported as skipped with the reason.
function(torva_skipped_test name)
  add_test(NAME ${name} COMMAND sh -c "echo \"SKIP: $1\"; exit 77" sh "${TORVA_WINE_SKIP}")
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
endfunction()

# The gtest cases of a Windows test program, one test each.
function(torva_windows_gtest target)
  if(TORVA_WINE_SKIP)
    torva_skipped_test(${target})
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES ${ARGN})
  endif()
endfunction()

# A script that runs this build's programs under Wine; it exits 77 when TORVA_WINE_SKIP says why it
# cannot.
function(torva_wine_script_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77
                                          ENVIRONMENT "TORVA_WINE_SKIP=${TORVA_WINE_SKIP}")
endfunction()
