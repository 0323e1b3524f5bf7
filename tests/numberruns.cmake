# The integer reader's fast path for short digit runs, checked against stream extraction.
add_engine_test(test_number_runs test_number_runs.cpp)
