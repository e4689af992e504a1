# Windows-side tests: GoogleTest built with MinGW, run by ctest under Wine in
# the build's own prefix, the same tests for the 64-bit and the 32-bit build.
# scripts/wine-up prepares the prefix, Xvfb and a persistent wineserver before
# ctest runs.
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Helper programs the tests start: spies, versioned executables, the probe.
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/tools/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/tools ${CMAKE_BINARY_DIR}/tools)
endif()

# Shared test support (fixtures, registry and file helpers) in tests/win/support.
file(GLOB WIN_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp)
if(WIN_TEST_SUPPORT)
  add_library(win_test_support STATIC ${WIN_TEST_SUPPORT})
  target_compile_definitions(win_test_support PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  target_include_directories(win_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests/win)
  target_link_libraries(win_test_support PUBLIC corvane_win GTest::gtest)
endif()

# One test program per tests/win/<name>_test.cpp, so that each builds and
# links on its own; ctest runs every test case in its own process.
add_custom_target(corvane_win_tests)
file(GLOB WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
foreach(src IN LISTS WIN_TESTS)
  get_filename_component(name ${src} NAME_WE)
  set(exe win_${name})
  add_executable(${exe} ${src})
  target_compile_definitions(${exe} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  target_include_directories(${exe} PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)
  if(TARGET win_test_support)
    target_link_libraries(${exe} PRIVATE win_test_support)
  endif()
  target_link_libraries(${exe} PRIVATE corvane_win GTest::gtest_main)
  target_link_options(${exe} PRIVATE -static)
  if(TARGET corvane_test_tools)
    add_dependencies(${exe} corvane_test_tools)
  endif()
  add_dependencies(corvane_win_tests ${exe})
  # Programs that make windows share one X display, one foreground window and
  # one keyboard: a window shown by one takes the activation (and so the typed
  # keys) from another, and covers the pixels another reads back. They take
  # turns through the "desktop" lock; the others run beside them under -j.
  file(READ ${src} test_source)
  set(lock_properties)
  if(test_source MATCHES "CreateWindow|CreatePopup\\(|RunPopup|ShowWindow|SetForegroundWindow|SendInput")
    set(lock_properties RESOURCE_LOCK desktop)
  endif()
  gtest_discover_tests(${exe}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    TEST_PREFIX "${name}."
    PROPERTIES TIMEOUT 60 LABELS wine ${lock_properties})
endforeach()

# Whole-program runs of the real corvane.exe, observed from outside.
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/acceptance/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/acceptance ${CMAKE_BINARY_DIR}/acceptance)
endif()
