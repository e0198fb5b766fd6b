# The four built-in sounds, synthesised at build time and embedded FastLZ-compressed.
add_executable(skyt_make_sounds ${PROJECT_SOURCE_DIR}/tools/sounds/make_sounds.cpp)
target_link_libraries(skyt_make_sounds PRIVATE skyt_fastlz)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/generated)
set(SKYT_SOUNDS_CPP ${PROJECT_BINARY_DIR}/generated/embedded_sounds.cpp)
add_custom_command(
  OUTPUT ${SKYT_SOUNDS_CPP}
  COMMAND skyt_make_sounds ${SKYT_SOUNDS_CPP}
  DEPENDS skyt_make_sounds
  COMMENT "Synthesising the built-in sounds")
list(APPEND SKYT_ASSET_SOURCES ${SKYT_SOUNDS_CPP})
