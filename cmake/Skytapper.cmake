# Build helpers shared by every folder.

if(SKYT_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(SKYT_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT SKYT_SANITIZE STREQUAL "")
  message(FATAL_ERROR "SKYT_SANITIZE must be empty, address or thread")
endif()
# A sanitized in-air page test draws hundreds of frames through software GL at several times
# the plain cost, so a sanitized build gives each test longer before calling it hung.
if(SKYT_SANITIZE STREQUAL "")
  set(SKYT_TEST_TIMEOUT 600)
else()
  set(SKYT_TEST_TIMEOUT 1200)
endif()

# Every test program carries the libraries' line tables and the installation pictures; kept
# compressed, the debug sections take a third of the room, so the four CI builds fit on a small disk.
add_link_options(-Wl,--compress-debug-sections=zlib)

# skyt_library(NAME [SHARED] [SOURCES extra...] [USES libs...])
# One static library skyt_NAME per source folder, from every .cpp and .c file in that folder
# (sub-folders are libraries of their own) plus the extra sources. USES names what it calls:
# the program's libraries below it and the system libraries, nothing else. SHARED makes it a
# shared library, for data that every program and test would otherwise carry a copy of.
function(skyt_library name)
  cmake_parse_arguments(L "SHARED" "" "SOURCES;USES" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  if(L_SHARED)
    add_library(skyt_${name} SHARED ${srcs} ${L_SOURCES})
  else()
    add_library(skyt_${name} STATIC ${srcs} ${L_SOURCES})
  endif()
  target_link_libraries(skyt_${name} PUBLIC skyt_base ${L_USES})
endfunction()

# skyt_test(NAME [XVFB] [LABELS l...] [LINK t...]): the test NAME from NAME.cpp in the calling
# folder.
#   LINK: the program's libraries under test (their own dependencies come along) and fakes
#   XVFB: links the real GL and freeglut and runs under xvfb-run; otherwise OSMesa
#   LABELS: extra ctest labels ("threads" marks tests run under ThreadSanitizer)
function(skyt_test name)
  cmake_parse_arguments(T "XVFB" "" "LABELS;LINK" ${ARGN})
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  target_link_libraries(${name} PRIVATE skyt_test_support ${T_LINK} GTest::gmock GTest::gtest_main)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" folder "${rel}")
  set(labels ${folder} ${T_LABELS})
  if(T_XVFB)
    target_link_libraries(${name} PRIVATE skyt_glut skyt_gl_real)
    # -noreset: the server would otherwise reset when a test's last client leaves, and refuse
    # the next program or xdotool that connects meanwhile.
    add_test(NAME ${name} COMMAND xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" $<TARGET_FILE:${name}>)
    list(APPEND labels xvfb)
  else()
    target_link_libraries(${name} PRIVATE skyt_gl_offscreen)
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set(env "SKYT_SOURCE_DIR=${PROJECT_SOURCE_DIR};SKYT_BUILD_DIR=${PROJECT_BINARY_DIR};SKYT_TEST_TMP=${PROJECT_BINARY_DIR}/test_tmp/${name}")
  if(T_XVFB)
    # The X server's GL driver is loaded and unloaded at run time, so its allocations can
    # no longer be attributed to a library at exit: no leak check for whole-window tests.
    list(APPEND env "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT ${SKYT_TEST_TIMEOUT} ENVIRONMENT "${env}")
endfunction()

# skyt_bench(NAME [LINK t...]): the benchmark NAME from NAME.cpp in the calling folder.
function(skyt_bench name)
  cmake_parse_arguments(B "" "" "LINK" ${ARGN})
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  target_link_libraries(${name} PRIVATE skyt_test_support ${B_LINK} skyt_gl_offscreen benchmark::benchmark benchmark::benchmark_main)
endfunction()
