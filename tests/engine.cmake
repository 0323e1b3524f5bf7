# The rendering engine on a headless EGL pbuffer: context and frames, buffers and drawing, shaders, entry
# points, materials.
find_package(OpenGL REQUIRED COMPONENTS EGL)

add_engine_test(test_engine_frame test_engine_frame.cpp)
target_link_libraries(test_engine_frame PRIVATE OpenGL::EGL)
add_engine_test(test_engine_drawing test_engine_drawing.cpp)
target_link_libraries(test_engine_drawing PRIVATE OpenGL::EGL)
add_engine_test(test_engine_shaders test_engine_shaders.cpp)
target_link_libraries(test_engine_shaders PRIVATE OpenGL::EGL)
add_engine_test(test_engine_extensions test_engine_extensions.cpp)
target_link_libraries(test_engine_extensions PRIVATE OpenGL::EGL ${CMAKE_DL_LIBS})
add_engine_test(test_engine_materials test_engine_materials.cpp)
add_engine_test(test_engine_calls test_engine_calls.cpp)
target_link_libraries(test_engine_calls PRIVATE ${CMAKE_DL_LIBS})
add_engine_test(test_startup_prefetch test_startup_prefetch.cpp)
