# The get-up laboratory: keyframe motions played on the physical world without agent or
# network, and tuned by random search.
if(TARGET halyx_sparring)
  add_executable(getup_lab lab/getup_lab.cpp lab/getup_run.cpp lab/cma.cpp lab/keyframe_motion.cpp)
  target_link_libraries(getup_lab PRIVATE halyx_sparring)
  target_include_directories(getup_lab PRIVATE ${PROJECT_SOURCE_DIR})
endif()
