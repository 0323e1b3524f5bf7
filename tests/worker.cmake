# The door's model-library worker: known answers of correct reads, and every hostile case (confinement, time
# and memory limits, the worker's and its parent's ends, the worker's answer) run in bounded child processes.
foreach(test test_worker_reads test_worker_hostile)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${test}.cpp)
    add_engine_test(${test} ${test}.cpp)
    target_link_libraries(${test} PRIVATE door)
    add_dependencies(${test} modelreader)
  endif()
endforeach()
# The door: every file to the reader that reads it, into an asset whose vertices and textures are known.
add_engine_test(test_door test_door.cpp)
target_link_libraries(test_door PRIVATE door)
target_include_directories(test_door SYSTEM PRIVATE /usr/include/stb)
add_dependencies(test_door modelreader)
