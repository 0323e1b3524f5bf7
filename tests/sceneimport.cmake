# sceneimport: model files through the import and back through the engine's loader.
add_engine_test(test_sceneimport test_sceneimport.cpp)
target_link_libraries(test_sceneimport PRIVATE sceneimport_core)
target_include_directories(test_sceneimport SYSTEM PRIVATE /usr/include/stb)
add_dependencies(test_sceneimport sceneimport)
