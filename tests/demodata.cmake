# The generated demo data, read back through the loader, the decoders and a headless engine, and the
# generator's own reproducibility. The data must be written before these tests run.
add_engine_test(test_demodata test_demodata.cpp)
add_dependencies(test_demodata demo_data)
