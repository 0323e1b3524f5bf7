# scenerender as its users run it: the program on documents written by the tests, judged by its pictures, its
# messages and its exit status.
add_engine_test(test_scenerender ${CMAKE_CURRENT_LIST_DIR}/test_scenerender.cpp)
target_include_directories(test_scenerender PRIVATE /usr/include/stb)
add_dependencies(test_scenerender scenerender)
