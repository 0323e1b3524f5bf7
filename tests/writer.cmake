# The document writers, read back through the loader.
add_engine_test(test_writer test_writer.cpp)
target_link_libraries(test_writer PRIVATE collada_writer)
