# The walk: one cycle of the walk skill (gait, inverse kinematics of both legs, joint
# speeds) and one leg's inverse kinematics alone.
if(TARGET halyx_skills)
  halyx_bench(walk_bench SOURCES walk_bench.cpp LIBS halyx_skills)
endif()
