# Perception input: reader throughput and the cost of one message through the parser.
halyx_bench(parse_bench SOURCES parse_bench.cpp LIBS halyx_parser)
