# One libFuzzer executable per tests/fuzz/fuzz_<name>.cpp; its seed corpus
# lives in tests/fuzz/corpus/<name>/. The checker's library comes along for
# the targets that drive corvane-check's engine: the fuzz build has no
# tools/check of its own.
include(${CMAKE_SOURCE_DIR}/tools/check/sources.cmake)
add_library(corvane_check_lib STATIC ${CHECK_LIB_SOURCES})
target_include_directories(corvane_check_lib PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(corvane_check_lib PUBLIC corvane_core)

file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(src IN LISTS FUZZ_SOURCES)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  if(name MATCHES "^fuzz_(check|autorun)$")
    target_link_libraries(${name} PRIVATE corvane_check_lib)
  else()
    target_link_libraries(${name} PRIVATE corvane_core)
  endif()
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
endforeach()
