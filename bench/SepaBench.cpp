// SEPA files through the SEPA object: a credit-transfer file of 100,000
// transactions, a debit file of 100,000 debits against a history of as many
// customers, and the merge of 100,000 recorded debits. Each run covers
// writing the transactions, the schema check and saving. Each run is a child
// process of its own; its peak memory is what it adds to the pages it starts
// with.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ZelSepaObject.h"

namespace {

constexpr int kTransfers = 100000;

// The peak resident memory of this process since the last reset, in MB.
double HighWaterMb() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  double kb = 0;
  while (std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "VmHWM: %lf", &kb) == 1) break;
  std::fclose(f);
  return kb / 1024.0;
}

void ResetHighWater() {
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

// Runs work in a child process, so that its peak memory is the work's own:
// the child's exit code, and its peak in MB.
template <class Work>
int InChild(Work work, double& peakMb) {
  int pipe[2];
  if (::pipe(pipe) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::malloc_trim(0);  // freed memory of earlier runs goes back, so new use is counted
    ResetHighWater();
    const double start = HighWaterMb();  // the parent's pages the child still maps
    const int result = work();
    const double peak = HighWaterMb() - start;
    [[maybe_unused]] const auto written = ::write(pipe[1], &peak, sizeof peak);
    ::_exit(result);
  }
  ::close(pipe[1]);
  if (::read(pipe[0], &peakMb, sizeof peakMb) != sizeof peakMb) peakMb = 0;
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WEXITSTATUS(status);
}

std::string FileName() { return "/tmp/zel_bench_" + std::to_string(::getpid()) + ".xml"; }

void BM_SepaCredit(benchmark::State& state) {
  int result = 0;
  double peak = 0;
  for (auto _ : state) {
    result = InChild(
        [] {
          zel::TZelSepaObject o;
          o.OpenCredit("BENCH-1", "PMT-1", "Zelvaro Benchmark GmbH", "", "Zelvaro Benchmark GmbH",
                       "DE89370400440532013000", "COBADEFFXXX");
          for (int i = 0; i < kTransfers; ++i)
            o.WriteCredit(1000000 + i * 100, "Erika Mustermann", "DE02120300000000202051",
                          "COBADEFFXXX", "", "E2E-" + std::to_string(i),
                          "Rechnung " + std::to_string(i) + " vom Juni");
          return o.CloseCredit(FileName());
        },
        peak);
  }
  state.counters["result"] = result;
  state.counters["peak_MB"] = peak;
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

// In a child process, so that its peak memory is the debit file's own.
void BM_SepaDebitAgainstHistory(benchmark::State& state) {
  DebitHistory history;
  int result = 0;
  double peak = 0;
  for (auto _ : state) {
    result = InChild(
        [] {
          zel::TZelSepaObject o;
          return DebitHistory::WriteFile(o, -1);
        },
        peak);
  }
  state.counters["result"] = result;
  state.counters["peak_MB"] = peak;
  state.SetItemsProcessed(state.iterations() * kDebits);
  std::remove(FileName().c_str());
}
BENCHMARK(BM_SepaDebitAgainstHistory)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MergeTemp(benchmark::State& state) {
  DebitHistory history;
  int result = 0;
  double peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    {
      zel::TZelSepaObject o;
      DebitHistory::WriteFile(o, -1);  // 100,000 RCUR records pending
    }
    state.ResumeTiming();
    result = InChild([] { return zel::TZelSepaObject().MergeTemp(1); }, peak);
  }
  state.counters["result"] = result;
  state.counters["peak_MB"] = peak;
  state.SetItemsProcessed(state.iterations() * kDebits);
  std::remove(FileName().c_str());
}
BENCHMARK(BM_MergeTemp)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
