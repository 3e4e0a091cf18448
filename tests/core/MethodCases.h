// Table-driven method cases: method number, bank code, account, status.
#pragma once

#include <gtest/gtest.h>

#include <span>

#include "ZelProbeObject.h"

namespace zeltest {

struct MethodCase {
  int method;
  const char* blz;
  const char* account;
  int expected;
};

inline void ExpectCases(std::span<const MethodCase> cases) {
  for (const MethodCase& c : cases)
    EXPECT_EQ(zel::TestByRule(c.blz, c.account, c.method), c.expected)
        << "method " << c.method << " bank " << c.blz << " account " << c.account;
}

// True if the cases of this method hold a valid account and one that fails
// with a status matching `rejected`.
template <typename Pred>
bool HasValidAndRejected(std::span<const MethodCase> cases, int method, Pred rejected) {
  bool valid = false, bad = false;
  for (const MethodCase& c : cases) {
    if (c.method != method) continue;
    valid |= c.expected == 0;
    bad |= rejected(c.expected);
  }
  return valid && bad;
}

}  // namespace zeltest
