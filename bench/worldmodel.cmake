# World model: one localisation cycle.
if(TARGET halyx_worldmodel)
  halyx_bench(worldmodel_bench SOURCES worldmodel_bench.cpp LIBS halyx_worldmodel)
endif()
