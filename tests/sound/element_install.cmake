# A fresh installation (tools/install.sh into a temporary folder) holds every element the
# preset kits name, and each of them sounds.
skyt_test(test_element_install SOURCES ${CMAKE_CURRENT_LIST_DIR}/element_install_test.cpp
          LABELS threads)
add_dependencies(test_element_install install_tools)
