# The fuzz targets are built with clang (libFuzzer) as a project of their own
# inside this build tree, fuzz/, and each runs briefly as a test here. Where
# clang++ or its libFuzzer is missing they are left out, not failed.
find_program(ZAK_CLANGXX NAMES clang++ clang++-14)
set(zak_fuzz_found OFF)
if(ZAK_CLANGXX)
  execute_process(COMMAND ${ZAK_CLANGXX} -print-file-name=libclang_rt.fuzzer-x86_64.a
                  OUTPUT_VARIABLE zak_libfuzzer OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(zak_libfuzzer AND IS_ABSOLUTE "${zak_libfuzzer}" AND EXISTS "${zak_libfuzzer}")
    set(zak_fuzz_found ON)
  endif()
endif()
option(ZAK_FUZZ "Build the fuzz targets with clang and run each briefly as a test" ${zak_fuzz_found})
if(ZAK_FUZZ AND NOT zak_fuzz_found)
  message(WARNING "ZAK_FUZZ needs clang++ with libFuzzer (packages clang, libclang-rt-14-dev); left out")
  set(ZAK_FUZZ OFF)
endif()
if(NOT ZAK_FUZZ)
  message(STATUS "Fuzz targets left out")
  return()
endif()

include(ExternalProject)
set(zak_fuzz_dir ${PROJECT_BINARY_DIR}/fuzz)
set(ZAK_FUZZ_SECONDS 30 CACHE STRING "How long each fuzz smoke test runs")
ExternalProject_Add(zak_fuzz
  SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}
  BINARY_DIR ${zak_fuzz_dir}
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS -DCMAKE_CXX_COMPILER=${ZAK_CLANGXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
             -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
             -DZAK_FUZZ_SECONDS=${ZAK_FUZZ_SECONDS}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  USES_TERMINAL_BUILD ON)
foreach(target fuzz_scanner fuzz_interpreter fuzz_check fuzz_settings fuzz_editor)
  add_test(NAME ${target} COMMAND ${CMAKE_CTEST_COMMAND} --test-dir ${zak_fuzz_dir} -R "^${target}$" --output-on-failure)
  set_tests_properties(${target} PROPERTIES TIMEOUT 360)
endforeach()
