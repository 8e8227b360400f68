# The fuzz targets and the seed writer. Included from fuzz/CMakeLists.txt, or straight from the top level by
# attach.cmake; every path is spelled from this file's folder so either works.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(WARNING "ZV_FUZZ needs clang (libFuzzer); the fuzz targets are left out")
  return()
endif()
set_property(GLOBAL PROPERTY ZV_FUZZ_ADDED TRUE)
set(zv_fuzz_dir ${CMAKE_CURRENT_LIST_DIR})
set(zv_fuzz_out ${PROJECT_BINARY_DIR}/fuzz)

# The fuzzed code itself is instrumented through CMAKE_CXX_FLAGS (-fsanitize=fuzzer-no-link,...) by run.sh;
# the targets add the libFuzzer driver.
add_library(zv_fuzz_input STATIC ${zv_fuzz_dir}/memory_file.cpp)
target_include_directories(zv_fuzz_input PUBLIC ${PROJECT_SOURCE_DIR})

function(zv_fuzz_target name)
  add_executable(${name} ${zv_fuzz_dir}/${name}.cpp)
  target_link_libraries(${name} PRIVATE zv_fuzz_input ${ARGN})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${zv_fuzz_out})
endfunction()

zv_fuzz_target(dv_frame_fuzz dvmeta)
zv_fuzz_target(avi_check_fuzz avi)
zv_fuzz_target(avi_reader_fuzz avi)
zv_fuzz_target(report_metadata_fuzz report)
zv_fuzz_target(graph_checks_fuzz avi)
zv_fuzz_target(quicktime_reader_fuzz avi)

add_executable(make_seeds ${zv_fuzz_dir}/make_seeds.cpp)
target_link_libraries(make_seeds PRIVATE zv_fixtures)
set_target_properties(make_seeds PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${zv_fuzz_out})
