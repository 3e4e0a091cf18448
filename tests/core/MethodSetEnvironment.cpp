// The method tables of the core suites are the rows of 2013; the current rows
// have a suite of their own that selects them (and the data files choose
// their set when they are loaded).

#include <gtest/gtest.h>

#include "CheckMethods.h"

namespace {

class Rows2013 : public ::testing::Environment {
 public:
  void SetUp() override { zel::check::SelectMethodSet(zel::check::TMethodSet::Y2013); }
};

[[maybe_unused]] ::testing::Environment* const kRows2013 =
    ::testing::AddGlobalTestEnvironment(new Rows2013);

}  // namespace
