# The get-up laboratory: keyframe motions played on the physical world without agent or
# network, and tuned by random search. It links the physical world alone: no sockets, no
# S-expression reader.
if(TARGET halyx_sparring_physics)
  add_executable(getup_lab lab/getup_lab.cpp lab/getup_run.cpp lab/cma.cpp)
  target_link_libraries(getup_lab PRIVATE halyx_sparring_physics halyx_sparring_world halyx_skills)
  target_include_directories(getup_lab PRIVATE ${PROJECT_SOURCE_DIR})
endif()
