# The fuzz targets (fuzz/) need clang with libFuzzer while the program and its tests build with the
# main compiler, so they are a second build of this source tree in <build>/fuzz, configured and
# built with clang as one step of the main build. TARVANE_FUZZ defaults to on when clang can link a
# libFuzzer program; without it nothing else changes.

find_program(TARVANE_FUZZ_CXX NAMES clang++ clang++-14 DOC "clang++ used for the fuzz targets")
find_program(TARVANE_FUZZ_CC NAMES clang clang-14 DOC "clang used for the fuzz targets")
set(_tarvane_fuzz_works OFF)
if(TARVANE_FUZZ_CXX AND TARVANE_FUZZ_CC)
  set(_probe ${CMAKE_BINARY_DIR}/CMakeFiles/fuzz_probe.cpp)
  file(WRITE ${_probe} "#include <cstddef>\n#include <cstdint>\n"
       "extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n")
  execute_process(COMMAND ${TARVANE_FUZZ_CXX} -fsanitize=fuzzer,address,undefined ${_probe}
                          -o ${CMAKE_BINARY_DIR}/CMakeFiles/fuzz_probe
                  RESULT_VARIABLE _probe_result OUTPUT_QUIET ERROR_QUIET)
  if(_probe_result EQUAL 0)
    set(_tarvane_fuzz_works ON)
  endif()
endif()
option(TARVANE_FUZZ "Build the fuzz targets with clang and libFuzzer" ${_tarvane_fuzz_works})

if(TARVANE_FUZZ AND NOT _tarvane_fuzz_works)
  message(FATAL_ERROR "TARVANE_FUZZ needs clang with libFuzzer (Debian: clang libclang-rt-14-dev)")
endif()

if(TARVANE_FUZZ)
  cmake_host_system_information(RESULT _cores QUERY NUMBER_OF_LOGICAL_CORES)
  math(EXPR _jobs "(${_cores} + 1) / 2")
  set(TARVANE_FUZZ_JOBS ${_jobs} CACHE STRING "Parallel jobs of the fuzz targets' build")
  include(ExternalProject)
  ExternalProject_Add(tarvane_fuzz
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz
    CMAKE_GENERATOR ${CMAKE_GENERATOR}
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${TARVANE_FUZZ_CXX} -DCMAKE_C_COMPILER=${TARVANE_FUZZ_CC}
               -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1"
               -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
               -DTARVANE_FUZZ_BUILD=ON -DTARVANE_FUZZ=OFF -DTARVANE_TESTS=OFF
               -DTARVANE_BENCH=OFF -DTARVANE_SANITIZE=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --parallel ${TARVANE_FUZZ_JOBS}
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
endif()
