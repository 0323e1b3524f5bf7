# The two programs: their camera and animation rules and their start-up error handling as unit tests, and their
# windows under a virtual X server, driven by xdotool and judged by screenshots.
add_engine_test(test_camera ${CMAKE_CURRENT_LIST_DIR}/test_camera.cpp)
target_link_libraries(test_camera PRIVATE walk_camera model_animation)
add_engine_test(test_user_views ${CMAKE_CURRENT_LIST_DIR}/test_user_views.cpp)
target_link_libraries(test_user_views PRIVATE walk_camera model_animation)

add_engine_test(test_programs ${CMAKE_CURRENT_LIST_DIR}/test_programs.cpp)
target_link_libraries(test_programs PRIVATE forms)

find_package(X11 REQUIRED)
add_executable(xclose ${CMAKE_CURRENT_LIST_DIR}/xclose.cpp)
target_link_libraries(xclose PRIVATE X11::X11)

foreach(window_case vantrell_opens lustrane_opens vantrell_resize vantrell_walk vantrell_switches vantrell_missing_models
                    lustrane_animation lustrane_no_pixel_format no_display comma_locale vantrell_user_scene
                    lustrane_user_model vantrell_missing_file usage vantrell_foreign_model lustrane_foreign_model
                    vantrell_from_elsewhere lustrane_from_elsewhere)
  add_test(NAME programs_${window_case}
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/programs_xvfb.sh ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} ${DEMO_DATA_DIR}
                   $<TARGET_FILE:xclose> ${window_case})
  set_tests_properties(programs_${window_case} PROPERTIES
    TIMEOUT 90
    ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0")
endforeach()
