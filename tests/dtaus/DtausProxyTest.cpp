// The DTAUS object through its proxy: an open file survives the activation
// of another data file.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "../base/PackageFixture.h"

namespace {

using namespace zeltest;

TEST_F(ActivePackage, DtausFileGoesOnAcrossAnActivation) {
  auto d = zel::TProxyZelDtausObject::Create("ZelDtausObject");
  ASSERT_NE(d, nullptr);
  const std::string file = (data_ / "a.dta").string();
  ASSERT_EQ(d->CreateFile(file, "37040044", "532013000", "X", "1", 1, 1, 0), 0);
  ASSERT_EQ(d->WriteFile("37040044", "532013000", "A", "B", "1", 51, 0, 10000), 0);
  ASSERT_EQ(Pkg().Activate(kOldFile), 0) << zel::Cp1252ToUtf8(Pkg().GetLastError());
  // The account check came back with the object: a wrong account is refused.
  EXPECT_EQ(d->WriteFile("37040044", "532013100", "A", "B", "2", 51, 0, 10000), 413);
  ASSERT_EQ(d->WriteFile("37040044", "532013000", "A", "B", "3", 51, 0, 20000), 0);
  ASSERT_EQ(d->CloseFile(), 0);
  std::ifstream in(file, std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  ASSERT_EQ(bytes.size(), 128u + 2 * 256 + 128);
  EXPECT_EQ(bytes.substr(640 + 10, 7), "0000002");
  EXPECT_EQ(d->CheckFile(file), 0);
  d->CheckFile("*B");
  EXPECT_EQ(d->GetLastError(), "3.00");
}

}  // namespace
