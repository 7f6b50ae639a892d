# Compile and link settings that every Torva target shares, applied per target.

function(torva_target target)
  target_compile_features(${target} PRIVATE cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  endif()
  if(WIN32)
    # ANSI entry points are not used; every Win32 call takes the wide ones.
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                 _WIN32_WINNT=0x0601 WINVER=0x0601)
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "EXECUTABLE")
      # Nothing beyond Windows' own DLLs: libstdc++, libgcc and winpthread are linked in.
      target_link_options(${target} PRIVATE -static)
    endif()
  elseif(TORVA_FUZZ)
    # Coverage for libFuzzer in every library; the fuzz targets add the fuzzer's own main.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  elseif(TORVA_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(TORVA_STDLIB_ASSERTIONS AND NOT WIN32)
    # Bounds checks in the standard containers and views: an index one past the end aborts the
    # test that reaches it instead of reading a neighbour's bytes that happen to look right.
    target_compile_definitions(${target} PRIVATE _GLIBCXX_ASSERTIONS)
  endif()
endfunction()

# A static library of pure code (no <windows.h>), built for the host and for Windows alike.
function(torva_core_library target)
  add_library(${target} STATIC ${ARGN})
  torva_target(${target})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# The Win32 glue of one subsystem; only configured for Windows.
function(torva_win32_library target)
  add_library(${target} STATIC ${ARGN})
  torva_target(${target})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
endfunction()
