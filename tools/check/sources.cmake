# The checker's library sources (everything but the command line), for
# corvane-check and its tests and for the fuzz targets that drive it.
set(CHECK_LIB_SOURCES
  ${CMAKE_SOURCE_DIR}/tools/check/check_engine.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/check_keys.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/check_languages.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/check_numbering.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/check_values.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/check_paths.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/check_explain.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/check_files.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/check_output.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/autorun_ini.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/autorun_check.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/pe_icons.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/text_encoding.cpp
  ${CMAKE_SOURCE_DIR}/tools/check/contrast.cpp)
