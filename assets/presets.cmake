# The preset kits and MIDI maps: assets/presets/*.txt turned into C++ at build time, with the
# element manifest, the drum kit's per-type defaults and legend, and the element-type words.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(skyt_presets ${PROJECT_BINARY_DIR}/generated/presets.cpp)
add_custom_command(
  OUTPUT ${skyt_presets}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/gen_presets.py ${PROJECT_SOURCE_DIR} ${skyt_presets}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/gen_presets.py
          ${CMAKE_CURRENT_LIST_DIR}/presets/kits.txt ${CMAKE_CURRENT_LIST_DIR}/presets/midi_maps.txt
          ${PROJECT_SOURCE_DIR}/tools/elements/manifest.txt ${PROJECT_SOURCE_DIR}/drumming/drumkit.cpp
          ${PROJECT_SOURCE_DIR}/frame/element_types.h
  COMMENT "Generating the preset kits and MIDI maps"
  VERBATIM)
list(APPEND SKYT_ASSET_SOURCES ${skyt_presets})
