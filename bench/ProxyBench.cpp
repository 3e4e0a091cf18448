// The account check as the program makes it: through the proxy of the loaded
// data file, with random accounts at random real bank codes (every bank of
// the table, in random order, so the look-up is not served by a few codes).

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "Proxies.h"
#include "ZelPackage.h"

namespace {

struct Probe {
  std::string blz, account;
};

std::vector<Probe> MakeProbes(zel::TProxyZelProbeObject& p) {
  std::vector<std::string> codes;
  for (std::string c = p.GetFirstBank(); !c.empty(); c = p.GetNextBank()) codes.push_back(c);
  std::mt19937_64 rng(4711);
  std::vector<Probe> probes;
  for (int i = 0; i < 1 << 16; ++i)  // every bank many times, in 4 MB of probes
    probes.push_back({codes[rng() % codes.size()] + "+", std::to_string(rng() % 9999999999 + 1)});
  return probes;
}

void BM_ProxyCheckRandomBanks(benchmark::State& state) {
  auto p = zel::TProxyZelProbeObject::Create("ZelProbeObject");
  if (!p) {
    state.SkipWithError("Es ist keine Datendatei geladen!");
    return;
  }
  const std::vector<Probe> probes = MakeProbes(*p);
  std::size_t i = 0;
  for (auto _ : state) {
    const Probe& pr = probes[i++ & (probes.size() - 1)];
    benchmark::DoNotOptimize(p->TestBlzKto(pr.blz, pr.account));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_ProxyCheckRandomBanks);

}  // namespace

BENCHMARK_MAIN();
