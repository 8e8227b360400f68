# Adds the fuzz targets to a build of the whole project without touching its top-level list:
#   cmake -DZV_FUZZ=ON -DCMAKE_PROJECT_INCLUDE=<source>/fuzz/attach.cmake ...
# Runs right after project(); the targets are defined once the top level has defined every library.
# Does nothing when the top level adds the fuzz folder itself.
if(ZV_FUZZ)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL cmake_language EVAL CODE [[
    get_property(zv_fuzz_added GLOBAL PROPERTY ZV_FUZZ_ADDED)
    if(NOT zv_fuzz_added)
      include(${CMAKE_SOURCE_DIR}/fuzz/targets.cmake)
    endif()
  ]])
endif()
