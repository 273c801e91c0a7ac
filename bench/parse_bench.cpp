// Reader throughput and per-message parsing cost on the reference server message.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "lib/sexp/parser.h"
#include "parser/parser.h"
#include "parser/sexpparser.h"
#include "worldmodel/types.h"

namespace {

std::string referenceMessage() {
    std::ifstream in(std::string(HALYX_SOURCE_DIR) + "/bench/data/full_message.txt",
                     std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Element trees only: the reader with its free lists, as the converter drives it.
void ReaderThroughput(benchmark::State& state) {
    std::string message = referenceMessage();
    char* text = &message[0];
    const int length = static_cast<int>(message.size());
    for (auto _ : state) {
        parse_continuation* cc = init_continuation(text);
        while (sexp_t* e = iparse_sexp(text, length, cc)) destroy_sexp(e);
        destroy_continuation(cc);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * length);
}
BENCHMARK(ReaderThroughput)->Repetitions(5)->ReportAggregatesOnly(true);

// Text to predicate list.
void SexpParserParse(benchmark::State& state) {
    const std::string message = referenceMessage();
    SexpParser parser;
    for (auto _ : state) benchmark::DoNotOptimize(parser.Parse(message));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * message.size());
}
BENCHMARK(SexpParserParse)->Repetitions(5)->ReportAggregatesOnly(true);

// One whole message into the world model.
void ParserDoParse(benchmark::State& state) {
    const std::string message = referenceMessage();
    Types::fill();
    WorldModel worldModel;
    worldModel.setTeamName("halyx");
    Parser parser(worldModel);
    for (auto _ : state) parser.doParse(message);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * message.size());
}
BENCHMARK(ParserDoParse)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
