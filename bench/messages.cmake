# Reference messages from the sparring world, and the reply-latency measurement: the
# driver that plays the server and the echo agent that sets the floor (run bench/latency).
if(TARGET halyx_sparring_protocol)
  add_library(halyx_bench_scene STATIC match_scene.cpp)
  target_link_libraries(halyx_bench_scene PUBLIC halyx_sparring_protocol halyx_sparring_kinematic
    halyx_sparring_match)
  add_executable(make_bench_messages make_messages.cpp)
  target_link_libraries(make_bench_messages PRIVATE halyx_bench_scene)
  add_executable(echo_agent echo_agent.cpp frame_channel.cpp)
  add_executable(latency_driver latency_driver.cpp frame_channel.cpp)
  target_link_libraries(latency_driver PRIVATE halyx_bench_scene)
endif()
# Reply latency of the agent's connection by reply size (over one buffer or not).
add_executable(reply_size_latency reply_size_latency.cpp frame_channel.cpp)
target_link_libraries(reply_size_latency PRIVATE halyx_net Threads::Threads)
