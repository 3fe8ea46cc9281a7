# Every fuzz target (fuzz/fuzz_*.cpp) built by the usual build with the usual
# compiler, as a plain executable that replays its seed corpus (ReplayMain.cpp
# instead of libFuzzer's main), and run as one ctest test: a change that breaks
# a target, or an input of its corpus, fails `make test`. Included by the top
# CMakeLists.txt; fuzz/CMakeLists.txt stays the clang project that fuzzes.
file(GLOB QINGLAN_CLANG_INCLUDES /usr/lib/llvm-*/lib/clang/*/include)
find_path(QINGLAN_FUZZED_DATA_PROVIDER_DIR fuzzer/FuzzedDataProvider.h
          PATHS ${QINGLAN_CLANG_INCLUDES}
          DOC "clang's include folder holding fuzzer/FuzzedDataProvider.h (header only)")
if(NOT QINGLAN_FUZZED_DATA_PROVIDER_DIR)
  message(FATAL_ERROR "fuzzer/FuzzedDataProvider.h not found: install clang (make deps)")
endif()
# That one header alone: clang's folder also holds its own stddef.h and others,
# which the usual compiler must not see.
configure_file(${QINGLAN_FUZZED_DATA_PROVIDER_DIR}/fuzzer/FuzzedDataProvider.h
               ${CMAKE_BINARY_DIR}/fuzz-include/fuzzer/FuzzedDataProvider.h COPYONLY)

file(GLOB QINGLAN_FUZZ_TARGETS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/fuzz_*.cpp)
foreach(source ${QINGLAN_FUZZ_TARGETS})
  get_filename_component(target ${source} NAME_WE)
  add_executable(${target} ${source} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp
                           ${PROJECT_SOURCE_DIR}/fuzz/FuzzInput.h)
  target_include_directories(${target} SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/fuzz-include)
  target_link_libraries(${target} PRIVATE qinglan_sourceroot qinglan_search qinglan_info
                                          qinglan_cloudtool)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endforeach()

add_test(NAME fuzz_corpus COMMAND sh ${PROJECT_SOURCE_DIR}/fuzz/replay.sh ${PROJECT_SOURCE_DIR}
                                     ${CMAKE_BINARY_DIR}/fuzz)
