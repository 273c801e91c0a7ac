# The get-up laboratory: keyframe motions played on the physical world without agent or
# network, and tuned by random search. It links the physical world alone: no sockets, no
# S-expression reader.
if(TARGET halyx_sparring_physics)
  add_executable(getup_lab lab/getup_lab.cpp lab/getup_run.cpp lab/cma.cpp lab/keyframe_motion.cpp
    lab/centre_of_mass.cpp)
  target_link_libraries(getup_lab PRIVATE halyx_sparring_physics halyx_sparring_world)
  target_include_directories(getup_lab PRIVATE ${PROJECT_SOURCE_DIR})
endif()
# The walk laboratory: the walk skill played on one robot of the physical world.
if(TARGET halyx_sparring_physics)
  add_library(halyx_walk_lab STATIC lab/walk_run.cpp lab/centre_of_mass.cpp)
  target_link_libraries(halyx_walk_lab PUBLIC halyx_skills halyx_sparring_physics
    halyx_sparring_world)
  target_include_directories(halyx_walk_lab PUBLIC ${PROJECT_SOURCE_DIR})
  add_executable(walk_try lab/walk_try.cpp)
  target_link_libraries(walk_try PRIVATE halyx_walk_lab)
  add_executable(walk_tune lab/walk_tune.cpp lab/cma.cpp)
  target_link_libraries(walk_tune PRIVATE halyx_walk_lab)
endif()
