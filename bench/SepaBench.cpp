// SEPA files through the SEPA object: a credit-transfer file of 100,000
// transactions, a debit file of 100,000 debits against a history of as many
// customers, and the merge of 100,000 recorded debits. The credit run covers
// building the document, the schema check and saving. Peak memory is the
// process's high-water mark after the runs.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ZelSepaObject.h"

namespace {

constexpr int kTransfers = 100000;

// The high-water mark of resident memory of this process or its children.
double PeakMb(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

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
  state.counters["result"] = result;
  state.counters["peak_MB"] = PeakMb(RUSAGE_SELF);
  state.SetItemsProcessed(state.iterations() * kTransfers);
  std::remove(FileName().c_str());
}
BENCHMARK(BM_SepaCredit)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

namespace {

constexpr int kDebits = 100000;

// A history of kDebits customers in a directory of its own (FRST debits of
// a first file, merged), then the runs below against it.
class DebitHistory {
 public:
  DebitHistory() : fDir("/tmp/zel_bench_db_" + std::to_string(::getpid())) {
    ::setenv("XDG_DATA_HOME", fDir.c_str(), 1);
    zel::TZelSepaObject o;
    WriteFile(o, 1);
    o.MergeTemp(1);
  }
  ~DebitHistory() { std::filesystem::remove_all(fDir); }

  // A debit file of every customer with an automatic sequence type.
  static int WriteFile(zel::TZelSepaObject& o, int seq) {
    o.OpenDebit(1, "BENCH-D", "Verein", "", "Verein", "DE89370400440532013000", "COBADEFFXXX",
                "DE98ZZZ09999999999");
    for (int k = 1; k <= kDebits; ++k)
      o.WriteDebit(k, seq, 125000, "Erika Mustermann", "DE02120300000000202051", "BYLADEM1001", "",
                   "", "Beitrag", "M-" + std::to_string(k), "2023-01-15");
    return o.CloseDebit(FileName());
  }

 private:
  std::string fDir;
};

void BM_SepaDebitAgainstHistory(benchmark::State& state) {
  DebitHistory history;
  int result = 0;
  for (auto _ : state) {
    zel::TZelSepaObject o;
    result = DebitHistory::WriteFile(o, -1);
  }
  state.counters["result"] = result;
  state.SetItemsProcessed(state.iterations() * kDebits);
  std::remove(FileName().c_str());
}
BENCHMARK(BM_SepaDebitAgainstHistory)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MergeTemp(benchmark::State& state) {
  DebitHistory history;
  int result = 0;
  for (auto _ : state) {
    state.PauseTiming();
    {
      zel::TZelSepaObject o;
      DebitHistory::WriteFile(o, -1);  // 100,000 RCUR records pending
    }
    state.ResumeTiming();
    // In a child process, so that its peak memory is the merge's own.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(zel::TZelSepaObject().MergeTemp(1));
    int status = 0;
    ::waitpid(child, &status, 0);
    result = WEXITSTATUS(status);
  }
  state.counters["result"] = result;
  state.counters["peak_MB"] = PeakMb(RUSAGE_CHILDREN);
  state.SetItemsProcessed(state.iterations() * kDebits);
  std::remove(FileName().c_str());
}
BENCHMARK(BM_MergeTemp)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
