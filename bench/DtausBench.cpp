// Writing and checking a DTAUS file of 100,000 payments.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "ZelDtausObject.h"

namespace {

constexpr int kPayments = 100000;

std::string FileName() { return "/tmp/zel_bench_" + std::to_string(::getpid()) + ".dta"; }

void WriteFile(bool check) {
  zel::TZelDtausObject o;
  o.CreateFile(FileName(), "37040044", "532013000", "Zelvaro Benchmark GmbH", "1", 1, check ? 1 : 0,
               0);
  for (int i = 0; i < kPayments; ++i)
    o.WriteFile("37040044", "532013000", "Erika Mustermann",
                "Rechnung " + std::to_string(i) + " vom Juni", std::to_string(i), 51, 0,
                1000000 + i);
  o.CloseFile();
}

void BM_DtausWrite(benchmark::State& state) {
  for (auto _ : state) WriteFile(state.range(0) != 0);
  state.SetItemsProcessed(state.iterations() * kPayments);
  std::remove(FileName().c_str());
}
BENCHMARK(BM_DtausWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DtausCheck(benchmark::State& state) {
  WriteFile(false);
  zel::TZelDtausObject checker;
  for (auto _ : state) benchmark::DoNotOptimize(checker.CheckFile(FileName()));
  state.SetItemsProcessed(state.iterations() * kPayments);
  std::remove(FileName().c_str());
}
BENCHMARK(BM_DtausCheck)->Unit(benchmark::kMillisecond);

}  // namespace
