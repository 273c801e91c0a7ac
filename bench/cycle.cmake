# One decision cycle: the perceptor parser on each reference message and the whole Think.
if(TARGET halyx_behavior)
  halyx_bench(cycle_bench SOURCES cycle_bench.cpp LIBS halyx_behavior)
endif()
