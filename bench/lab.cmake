# The laboratories: skills and keyframe motions played on the physical world in-process,
# without network, and tuned by CMA-ES. Built whether or not Google Benchmark is there.
if(TARGET halyx_sparring_physics)
  add_executable(getup_lab lab/getup_lab.cpp lab/getup_run.cpp lab/cma.cpp
    lab/centre_of_mass.cpp)
  target_link_libraries(getup_lab PRIVATE halyx_sparring_physics halyx_sparring_world halyx_skills)
  target_include_directories(getup_lab PRIVATE ${PROJECT_SOURCE_DIR})
endif()

# The skills laboratory reads the robot through the server's perception writer and the
# agent's parser, so it needs the protocol part of the sparring server as well.
if(TARGET halyx_sparring_protocol AND TARGET halyx_parser)
  add_library(halyx_lab STATIC lab/skill_run.cpp lab/hold_pose.cpp lab/walk_tasks.cpp lab/walk_tuner.cpp
    lab/job_runner.cpp lab/cma.cpp lab/kick_tasks.cpp lab/kick_tuner.cpp lab/ball_view.cpp)
  target_link_libraries(halyx_lab PUBLIC halyx_sparring_physics halyx_sparring_protocol
    halyx_parser halyx_motion halyx_skills)
  add_executable(skills_lab lab/skills_lab.cpp)
  target_link_libraries(skills_lab PRIVATE halyx_lab)
endif()

# The walk laboratory: the walk skill played on one robot of the physical world.
if(TARGET halyx_sparring_physics)
  add_library(halyx_walk_lab STATIC lab/walk_run.cpp lab/centre_of_mass.cpp)
  target_link_libraries(halyx_walk_lab PUBLIC halyx_skills halyx_sparring_physics
    halyx_sparring_world)
  target_include_directories(halyx_walk_lab PUBLIC ${PROJECT_SOURCE_DIR})
  add_executable(walk_try lab/walk_try.cpp)
  target_link_libraries(walk_try PRIVATE halyx_walk_lab)
endif()
