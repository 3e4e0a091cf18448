// The SCL directory through the SEPA object's command interface.

#include <gtest/gtest.h>

#include "../base/PackageFixture.h"

namespace {

using namespace zeltest;
using zel::Cp1252ToUtf8;

class SepaCommand : public ActivePackage {
 protected:
  void SetUp() override {
    ActivePackage::SetUp();
    sepa_ = zel::TProxyZelSepaObject::Create("ZelSepaObject");
    ASSERT_NE(sepa_, nullptr);
  }
  int BicScl(const std::string& bic, const std::string& scheme,
             const std::string& command = "BICSCL") {
    return sepa_->SepaCommand(command, 0, 0, 0, bic, scheme, "");
  }
  std::unique_ptr<zel::TProxyZelSepaObject> sepa_;
};

TEST_F(SepaCommand, BicScl) {
  // AABAFI22TMS: SCT 1, SDD 1, COR1 0, B2B 0.
  EXPECT_EQ(BicScl("AABAFI22TMS", "SCT"), 0);
  EXPECT_EQ(sepa_->GetLastError(), "BANK OF ALAND PLC");
  EXPECT_EQ(BicScl("AABAFI22TMS", "SDD"), 0);
  EXPECT_EQ(BicScl("AABAFI22TMS", "COR1"), 21);
  EXPECT_EQ(BicScl("AABAFI22TMS", "B2B"), 21);
  // Lower case and blanks, an 8-character BIC: extended by "XXX".
  EXPECT_EQ(BicScl(" aabafi22 ", " sct ", " bicscl "), 0);
  EXPECT_EQ(sepa_->GetLastError(), "BANK OF ALAND PLC");
  EXPECT_EQ(BicScl("AABAFI22XXX", "SEPA"), 87);
  EXPECT_EQ(sepa_->GetLastError(), "BANK OF ALAND PLC");
  EXPECT_EQ(BicScl("xxxxdeff", "SCT"), 13);
  EXPECT_EQ(sepa_->GetLastError(), "BIC XXXXDEFF nicht im SCL-Directory gefunden");
  EXPECT_EQ(BicScl("", "SCT"), 13);
}

TEST_F(SepaCommand, UnknownCommand) {
  EXPECT_EQ(sepa_->SepaCommand("NIX", 0, 0, 0, "", "", ""), 1);
  EXPECT_EQ(Cp1252ToUtf8(sepa_->GetLastError()), "Ungültiges SEPA-Kommando");
}

}  // namespace
