// Speed of the account check: the bank look-up by text plus the method run,
// over a mix of banks and accounts from the shipped table.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BlzTab.h"
#include "ZelProbeObject.h"

namespace {

struct Probe {
  std::string blz, account;
};

// Every 7th bank of the table with a spread of accounts.
std::vector<Probe> MakeProbes() {
  std::vector<Probe> probes;
  zel::TBankRecord r;
  unsigned seed = 12345;
  for (int i = 1; i <= zel::GetBankAnzahl(); i += 7) {
    zel::GetBankByIndex(i, r);
    seed = seed * 1103515245u + 12345u;
    probes.push_back({std::to_string(r.Blz), std::to_string(seed % 9999999999ull + 1)});
  }
  return probes;
}

void BM_CheckWithLookup(benchmark::State& state) {
  const std::vector<Probe> probes = MakeProbes();
  std::size_t i = 0;
  for (auto _ : state) {
    const Probe& p = probes[i++ % probes.size()];
    const int index = zel::GetBankIndexByString(p.blz);
    benchmark::DoNotOptimize(zel::TestByRule(p.blz, p.account, zel::RuleAt(index)));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_CheckWithLookup);

void BM_LookupByText(benchmark::State& state) {
  const std::vector<Probe> probes = MakeProbes();
  std::size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(zel::GetBankIndexByString(probes[i++ % probes.size()].blz));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_LookupByText);

// Each method on its own, over a fixed set of accounts.
void BM_Method(benchmark::State& state) {
  const int rule = static_cast<int>(state.range(0));
  const char* accounts[] = {"9290701", "1234567890", "539290858", "12345", "6543200", "4900000017"};
  std::size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(zel::TestByRule("13051172", accounts[i++ % 6], rule));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_Method)->DenseRange(0, 141, 1);

}  // namespace

// IBAN and BIC in IBAN-rules mode over a sample of the bank table.
void BM_GetIbanRules(benchmark::State& state) {
  const std::vector<Probe> probes = MakeProbes();
  std::vector<std::string> codes;
  for (const Probe& p : probes) codes.push_back(p.blz + "*");
  zel::TZelProbeObject probe;
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ % probes.size();
    benchmark::DoNotOptimize(probe.GetIban(codes[k], probes[k].account, false));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_GetIbanRules);

BENCHMARK_MAIN();
