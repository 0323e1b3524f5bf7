# Malformed inputs of every kind, each loaded in a child process measured for time and peak memory.
add_engine_test(test_bad_inputs test_bad_inputs.cpp)
