# The text table: assets/text/<language>.txt turned into C++ at build time, and
# assets/text/names.txt into text_ids.h, the text ids by name.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
file(GLOB skyt_text_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/text/*.txt)
set(skyt_text_table ${PROJECT_BINARY_DIR}/generated/text_table.cpp)
set(skyt_text_ids ${PROJECT_BINARY_DIR}/generated/text_ids.h)
add_custom_command(
  OUTPUT ${skyt_text_table} ${skyt_text_ids}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/gen_text_table.py
          ${CMAKE_CURRENT_LIST_DIR}/text ${skyt_text_table}
          ${CMAKE_CURRENT_LIST_DIR}/text/names.txt ${skyt_text_ids}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/gen_text_table.py ${skyt_text_sources}
  COMMENT "Generating the text table and the text ids"
  VERBATIM)
# Every library includes text_ids.h through frame/texts.h: it is written before any compiles.
add_custom_target(skyt_text_ids DEPENDS ${skyt_text_ids})
add_dependencies(skyt_base skyt_text_ids)
list(APPEND SKYT_ASSET_SOURCES ${skyt_text_table})
