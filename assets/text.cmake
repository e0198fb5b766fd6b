# The text table: assets/text/<language>.txt turned into C++ at build time.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
file(GLOB skyt_text_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/text/*.txt)
set(skyt_text_table ${PROJECT_BINARY_DIR}/generated/text_table.cpp)
add_custom_command(
  OUTPUT ${skyt_text_table}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/gen_text_table.py
          ${CMAKE_CURRENT_LIST_DIR}/text ${skyt_text_table}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/gen_text_table.py ${skyt_text_sources}
  COMMENT "Generating the text table"
  VERBATIM)
list(APPEND SKYT_ASSET_SOURCES ${skyt_text_table})
