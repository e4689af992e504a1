# One libFuzzer executable per tests/fuzz/fuzz_<name>.cpp; its seed corpus
# lives in tests/fuzz/corpus/<name>/.
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(src IN LISTS FUZZ_SOURCES)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE corvane_core)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
endforeach()
