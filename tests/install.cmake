# The installed tree, as a user or the Debian package gets it: tools, thumbnailer and both programs started
# from / through their launchers.
add_test(NAME install_tree
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/install_tree.sh ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_LIST_DIR}/programs_xvfb.sh
                 $<TARGET_FILE:xclose> ${TEST_DATA_DIR}/import/cube.ply)
set_tests_properties(install_tree PROPERTIES
  TIMEOUT 180
  ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0")
