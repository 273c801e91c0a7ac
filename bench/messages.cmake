# Reference messages from the sparring world, the latency driver and the echo agent.
if(TARGET halyx_sparring)
  add_library(halyx_bench_scene STATIC match_scene.cpp)
  target_link_libraries(halyx_bench_scene PUBLIC halyx_sparring)
  add_executable(make_bench_messages make_messages.cpp)
  target_link_libraries(make_bench_messages PRIVATE halyx_bench_scene)
endif()
