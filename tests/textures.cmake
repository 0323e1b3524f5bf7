# The image decoders (no GL) and the texture store on a headless engine.
add_engine_test(test_decoders test_decoders.cpp)
add_engine_test(test_textures test_textures.cpp)
add_engine_test(test_image_content test_image_content.cpp)
target_include_directories(test_image_content SYSTEM PRIVATE /usr/include/stb)
