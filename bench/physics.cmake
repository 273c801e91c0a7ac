# The sparring server's physical world: simulated seconds per CPU second.
if(TARGET halyx_sparring_protocol)
  add_executable(physics_bench physics_bench.cpp)
  target_link_libraries(physics_bench PRIVATE halyx_sparring_protocol halyx_sparring_physics)
endif()
