# The reader of every exporter's COLLADA documents: scenes, meshes, materials and errors from small documents
# whose answers are known by hand, and real exporters' documents.
foreach(name test_collada_scene test_collada_meshes test_collada_materials test_collada_errors)
  add_engine_test(${name} ${name}.cpp)
  target_link_libraries(${name} PRIVATE engine_collada)
endforeach()
