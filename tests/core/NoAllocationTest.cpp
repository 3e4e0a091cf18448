// An account check allocates nothing: every operator new of this test
// program is counted.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "BlzTab.h"
#include "ZelProbeObject.h"

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(NoAllocation, LookupAndCheckOfEveryMethod) {
  const char* accounts[] = {"9290701", "1234567890", "0012345678", "4900000017", "12A", ""};
  zel::GetBankAnzahl();  // the table is mapped on first use
  const long before = gAllocations.load();
  int sum = 0;
  for (int rule = -1; rule <= 143; ++rule)
    for (const char* account : accounts) sum += zel::TestByRule("13051172", account, rule);
  for (const char* blz : {"10000000", "37040044", "12345678", "1000000A"})
    sum += zel::GetBankIndexByString(blz);
  EXPECT_EQ(gAllocations.load(), before);
  EXPECT_NE(sum, 0);
}

}  // namespace
