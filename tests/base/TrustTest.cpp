// Data files run only when a trusted key signed them: a planted module stays
// silent on every path (start-up, activation, unpacking, downloading), a
// renamed file loses its signature, keys of the user's trusted-keys folder
// count while the folder is private, and a data folder others may write is
// refused.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "CivilDate.h"
#include "PackageFixture.h"
#include "PackedFile.h"
#include "Signature.h"
#include "TestHttpServer.h"
#include "UpdateClient.h"

namespace {

using namespace zeltest;
using zel::Cp1252ToUtf8;

const std::string kPlanted = "ZelObjects_2099_1.wbd";

// A key of someone the program does not trust, and a planted module.
template <class Base>
class TrustBase : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    ::setenv("ZEL_PLANTED_MARKER", (this->root_ / "ran").c_str(), 1);
    std::string reason;
    ASSERT_TRUE(zel::WriteKeyPair(Key(), reason)) << reason;
  }
  void TearDown() override {
    ::unsetenv("ZEL_PLANTED_MARKER");
    Base::TearDown();
  }
  std::string Key() const { return (this->root_ / "other.key").string(); }
  // The planted module under a data file's name: unsigned (digest only) or
  // signed with the untrusted key.
  void Plant(bool sign) {
    fs::copy_file(fs::path(ZEL_TEST_MODULE_DIR) / "Planted.wbd", this->data_ / kPlanted);
    std::string reason;
    const std::string path = (this->data_ / kPlanted).string();
    if (sign)
      ASSERT_TRUE(zel::SignDataFile(path, Key(), reason)) << reason;
    else
      ASSERT_TRUE(zel::RecordDigest(path, zel::Sha256Of(this->Read(path)), reason));
  }
  bool Ran() const { return fs::exists(this->root_ / "ran"); }
  void TrustUserKey() {
    const fs::path dir = this->root_ / "config" / "zelvaro" / "trusted-keys";
    fs::create_directories(dir);
    fs::copy_file(Key() + ".pub", dir / "other.pub");
  }
};

using Trust = TrustBase<ActivePackage>;
using TrustAtStart = TrustBase<PackageFixture>;

TEST_F(TrustAtStart, StartUpPassesOverPlantedModules) {
  for (const bool sign : {false, true}) {
    Plant(sign);
    fs::remove(data_ / kPlanted);
  }
  Plant(true);
  Pkg().SetClock([] { return static_cast<double>(zel::civil::DayNumber(2100, 1, 1)); });
  EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);
  const auto notices = Pkg().TakeNotices();
  ASSERT_FALSE(notices.empty());
  EXPECT_NE(Cp1252ToUtf8(notices[0]).find("keine gültige Signatur"), std::string::npos)
      << Cp1252ToUtf8(notices[0]);
  EXPECT_FALSE(Ran());
}

TEST_F(Trust, ActivationRefusesWhatNoTrustedKeySigned) {
  struct Case {
    const char* why;
    bool sign;
    const char* reason;
  };
  const Case cases[] = {
      {"unsigned", false, "nicht signiert"},
      {"signed by a stranger", true, "keine gültige Signatur eines vertrauenswürdigen"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    fs::remove(data_ / kPlanted);
    fs::remove(data_ / (kPlanted + ".sig"));
    Plant(c.sign);
    EXPECT_EQ(Pkg().Activate(kPlanted), 13);
    EXPECT_NE(Cp1252ToUtf8(Pkg().GetLastError()).find(c.reason), std::string::npos)
        << Cp1252ToUtf8(Pkg().GetLastError());
    EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);
  }
  EXPECT_FALSE(Ran());
}

// The signature covers the name: another quarter's name is refused.
TEST_F(Trust, ARenamedFileLosesItsSignature) {
  for (const char* ext : {"", ".sha256", ".sig"})
    fs::copy_file(data_ / (kOldFile + ext), data_ / (kPlanted + ext));
  EXPECT_EQ(Pkg().Activate(kPlanted), 13);
  EXPECT_NE(Cp1252ToUtf8(Pkg().GetLastError()).find("keine gültige Signatur"), std::string::npos);
}

// A key the user trusts counts while its folder is the user's alone.
TEST_F(Trust, KeysOfTheUsersTrustedFolder) {
  fs::copy_file(data_ / kOldFile, data_ / kPlanted);
  std::string reason;
  ASSERT_TRUE(zel::SignDataFile((data_ / kPlanted).string(), Key(), reason)) << reason;
  EXPECT_EQ(Pkg().Activate(kPlanted), 13);
  TrustUserKey();
  EXPECT_EQ(Pkg().Activate(kPlanted), 0) << Cp1252ToUtf8(Pkg().GetLastError());
  ASSERT_EQ(Pkg().Activate(kNewFile), 0);
  fs::permissions(root_ / "config" / "zelvaro" / "trusted-keys", fs::perms::group_write,
                  fs::perm_options::add);
  EXPECT_EQ(Pkg().Activate(kPlanted), 13);  // verified before, but the key counts no more
  EXPECT_NE(Cp1252ToUtf8(Pkg().GetLastError()).find("auch für andere beschreibbar"),
            std::string::npos)
      << Cp1252ToUtf8(Pkg().GetLastError());
}

TEST_F(Trust, ADataFolderOthersMayWriteIsRefused) {
  fs::permissions(data_, fs::perms::others_write, fs::perm_options::add);
  EXPECT_EQ(Pkg().Activate(kOldFile), 13);
  EXPECT_NE(Cp1252ToUtf8(Pkg().GetLastError()).find("Verzeichnis " + data_.string()),
            std::string::npos)
      << Cp1252ToUtf8(Pkg().GetLastError());
  fs::permissions(data_, fs::perms::sticky_bit, fs::perm_options::add);  // as /tmp: allowed
  EXPECT_EQ(Pkg().Activate(kOldFile), 0) << Cp1252ToUtf8(Pkg().GetLastError());
}

// Packed planted modules are neither unpacked nor kept after a download;
// packed files of the old form (no signature) neither.
TEST_F(Trust, UnpackAndDownloadCheckTheSignatureFirst) {
  Plant(true);
  std::string reason;
  ASSERT_TRUE(zel::PackDataFile((data_ / kPlanted).string(), (root_ / "p.wbp").string(), reason))
      << reason;
  for (const char* ext : {"", ".sha256", ".sig"}) fs::remove(data_ / (kPlanted + ext));
  const std::string packed = Read(root_ / "p.wbp");
  Put("ZelObjects_2099_1.wbp", packed);
  EXPECT_EQ(Pkg().Unpack("ZelObjects_2099_1.wbp"), 13);
  EXPECT_NE(Cp1252ToUtf8(Pkg().GetLastError()).find("keine gültige Signatur"), std::string::npos);
  EXPECT_FALSE(fs::exists(data_ / kPlanted));
  std::string old = packed;
  old[6] = 1;  // the form without signature
  Put("ZelObjects_2099_1.wbp", old);
  EXPECT_EQ(Pkg().Unpack("ZelObjects_2099_1.wbp"), 13);
  EXPECT_NE(Cp1252ToUtf8(Pkg().GetLastError()).find("nicht signiert"), std::string::npos);
  fs::remove(data_ / "ZelObjects_2099_1.wbp");
  TestHttpServer server([&](const HttpRequest& r) -> HttpReply {
    if (r.path == "/u/newest") return {200, "ZelObjects_2099_1.wbp", 0};
    if (r.path == "/u/files/ZelObjects_2099_1.wbp") return {200, packed, 0};
    return {404, "", 0};
  });
  zel::TUpdateSettings s;
  s.url = server.Url("u");
  s.timeoutSeconds = 5;
  s.insecureHttp = true;
  const std::string answer = Cp1252ToUtf8(zel::UpdateDownload(s, "a", "b", data_.string()));
  EXPECT_NE(answer.find("keine gültige Signatur"), std::string::npos) << answer;
  EXPECT_FALSE(fs::exists(data_ / "ZelObjects_2099_1.wbp"));
  EXPECT_FALSE(Ran());
}

}  // namespace
