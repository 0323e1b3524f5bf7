# The rendering engine on a headless EGL pbuffer: context and frames, buffers and drawing, shaders, entry
# points, materials.
find_package(OpenGL REQUIRED COMPONENTS EGL)

add_engine_test(test_engine_frame test_engine_frame.cpp)
target_link_libraries(test_engine_frame PRIVATE OpenGL::EGL)
