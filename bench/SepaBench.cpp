// A credit-transfer file of 100,000 transactions through the SEPA object:
// building the document, the schema check and saving. Peak memory is the
// process's high-water mark after the runs.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "ZelSepaObject.h"

namespace {

constexpr int kTransfers = 100000;

std::string FileName() { return "/tmp/zel_bench_" + std::to_string(::getpid()) + ".xml"; }

void BM_SepaCredit(benchmark::State& state) {
  int result = 0;
  for (auto _ : state) {
    zel::TZelSepaObject o;
    o.OpenCredit("BENCH-1", "PMT-1", "Zelvaro Benchmark GmbH", "", "Zelvaro Benchmark GmbH",
                 "DE89370400440532013000", "COBADEFFXXX");
    for (int i = 0; i < kTransfers; ++i)
      o.WriteCredit(1000000 + i * 100, "Erika Mustermann", "DE02120300000000202051", "COBADEFFXXX",
                    "", "E2E-" + std::to_string(i), "Rechnung " + std::to_string(i) + " vom Juni");
    result = o.CloseCredit(FileName());
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["result"] = result;
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.SetItemsProcessed(state.iterations() * kTransfers);
  std::remove(FileName().c_str());
}
BENCHMARK(BM_SepaCredit)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
