// The package object with the real data files: proxies, activation with live
// objects, refused files.

#include <gtest/gtest.h>
#include <link.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "CivilDate.h"
#include "PackageFixture.h"

namespace {

using namespace zeltest;
using zel::Cp1252ToUtf8;
using zel::EZelError;
using zel::TProxyZelProbeObject;

std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> f;
  std::size_t pos = 0;
  for (std::size_t tilde; (tilde = text.find('~', pos)) != std::string::npos; pos = tilde + 1)
    f.push_back(text.substr(pos, tilde - pos));
  f.push_back(text.substr(pos));
  return f;
}

// True if a module of that file name is mapped into the process.
bool Mapped(const std::string& name) {
  struct Search {
    std::string name;
    bool found = false;
  } search{name};
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        auto* s = static_cast<Search*>(data);
        const std::string path = info->dlpi_name ? info->dlpi_name : "";
        if (path.size() >= s->name.size() &&
            path.compare(path.size() - s->name.size(), s->name.size(), s->name) == 0)
          s->found = true;
        return 0;
      },
      &search);
  return search.found;
}

TEST_F(PackageFixture, WithoutDataFilesThereIsNoProxy) {
  fs::remove(data_ / kNewFile);
  fs::remove(data_ / kOldFile);
  EXPECT_EQ(Pkg().GetCurrentFileName(), "");
  EXPECT_EQ(Pkg().GetNewestFileName(), "");
  EXPECT_EQ(TProxyZelProbeObject::Create("ZelProbeObject"), nullptr);
}

TEST_F(PackageFixture, StartUpLoadsTheNewestFile) {
  EXPECT_EQ(Pkg().GetDataDirectory(), data_.string() + "/");
  EXPECT_EQ(Pkg().GetNewestFileName(), kNewFile);
  EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);
  EXPECT_NE(TProxyZelProbeObject::Create("ZelProbeObject"), nullptr);
}

TEST_F(PackageFixture, StartUpPassesOverABrokenNewestFile) {
  Put("ZelObjects_2099_1.wbd", "kein Modul");
  EXPECT_EQ(Pkg().GetNewestFileName(), "ZelObjects_2099_1.wbd");
  EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);
}

// A file for the next quarter can lie ready: it is taken from its first day
// on (the Monday after the first Saturday of its quarter's last month).
class NextQuarterReady : public PackageFixture {
 protected:
  void SetUp() override {
    PackageFixture::SetUp();
    fs::copy_file(data_ / kNewFile, data_ / "ZelObjects_2027_1.wbd");
    Record("ZelObjects_2027_1.wbd");
  }
};

TEST_F(NextQuarterReady, BeforeItsFirstDayTheCurrentFileIsUsed) {
  Pkg().SetClock([] { return static_cast<double>(zel::civil::DayNumber(2027, 3, 7)); });
  EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);
  EXPECT_EQ(Pkg().GetNewestFileName(), "ZelObjects_2027_1.wbd");
  EXPECT_TRUE(Pkg().TakeNotices().empty());
}

TEST_F(NextQuarterReady, FromItsFirstDayItIsUsed) {
  Pkg().SetClock([] { return static_cast<double>(zel::civil::DayNumber(2027, 3, 8)); });
  EXPECT_EQ(Pkg().GetCurrentFileName(), "ZelObjects_2027_1.wbd");
}

TEST_F(PackageFixture, StartUpLoadsTheRememberedFile) {
  fs::create_directories(root_ / "config" / "zelvaro");
  std::ofstream(root_ / "config" / "zelvaro" / "zelvaro.conf")
      << "ActiveFile=" << (data_ / kOldFile).string() << "\n";
  EXPECT_EQ(Pkg().GetCurrentFileName(), kOldFile);
}

TEST_F(ActivePackage, ProxyForwardsToTheLoadedData) {
  auto probe = TProxyZelProbeObject::Create("ZelProbeObject");
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->ClassName(), "ZelProbeObject");
  EXPECT_EQ(probe->TestBlzKto("10000000", "1234567890"), 3);
  EXPECT_EQ(probe->TestBlzKto("12345678", "1234567890"), -1);
  EXPECT_EQ(probe->GetBankName27("10000000"), "BBk Berlin");
  const std::vector<std::string> f = Fields(probe->GetVersionExtended());
  ASSERT_EQ(f.size(), 7u);
  EXPECT_EQ(f[0], "ZelObjects");
  EXPECT_EQ(f[1], "2026");
  EXPECT_EQ(f[2], "2");
  EXPECT_EQ(f[5], "08.06.2026");
  EXPECT_EQ(f[6], "06.09.2026");
}

TEST_F(ActivePackage, UnregisteredNamesGiveNoProxy) {
  EXPECT_EQ(TProxyZelProbeObject::Create("ZelKeinObjekt"), nullptr);
  EXPECT_EQ(TProxyZelProbeObject::Create(""), nullptr);
  EXPECT_NE(zel::TProxyZelSwiftObject::Create("ZelSwiftObject"), nullptr);
  EXPECT_NE(zel::TProxyZelReadObject::Create("ZelReadObject"), nullptr);
}

TEST_F(ActivePackage, OperationsOfOtherClassesAreAbstract) {
  // A SEPA proxy on the account check class: its operations are not there.
  auto sepa = zel::TProxyZelSepaObject::Create("ZelProbeObject");
  ASSERT_NE(sepa, nullptr);
  try {
    sepa->SetBankHour(12);
    FAIL() << "no error raised";
  } catch (const EZelError& e) {
    EXPECT_NE(std::string(e.what()).find("Abstrakte Operation SetBankHour"), std::string::npos);
  }
  EXPECT_THROW(sepa->GetTempList(), EZelError);
  EXPECT_EQ(Cp1252ToUtf8(sepa->GetLastError()), "Keine weiteren Informationen verfügbar.");
}

TEST_F(ActivePackage, ActivationCarriesObjectStateAndChangesTheAnswers) {
  auto probe = TProxyZelProbeObject::Create("ZelProbeObject");
  auto reference = TProxyZelProbeObject::Create("ZelProbeObject");
  ASSERT_NE(probe, nullptr);
  probe->GetFirstBank();
  reference->GetFirstBank();
  for (int i = 0; i < 4; ++i) probe->GetNextBank(), reference->GetNextBank();
  ASSERT_FALSE(probe->GetFirstMatch("sparkasse", false).empty());
  reference->GetFirstMatch("sparkasse", false);
  const std::string secondMatch = reference->GetNextMatch();
  const std::string thirdMatch = reference->GetNextMatch();
  const std::string sixthBank = reference->GetNextBank();
  reference.reset();

  // Reloading the same data: the enumeration goes on where it was.
  ASSERT_EQ(Pkg().Activate(kNewFile), 0) << Cp1252ToUtf8(Pkg().GetLastError());
  EXPECT_EQ(probe->GetNextBank(), sixthBank);
  EXPECT_EQ(probe->GetNextMatch(), secondMatch);

  // Other data: the match list of the 2026 data is kept, the answers change.
  ASSERT_EQ(Pkg().Activate(kOldFile), 0) << Cp1252ToUtf8(Pkg().GetLastError());
  EXPECT_EQ(Pkg().GetCurrentFileName(), kOldFile);
  EXPECT_FALSE(Mapped(kNewFile));
  EXPECT_EQ(probe->GetNextMatch(), thirdMatch);
  EXPECT_EQ(Fields(probe->GetVersionExtended())[1], "2013");
  EXPECT_EQ(Fields(probe->GetVersionExtended())[2], "4");
  EXPECT_EQ(probe->GetVersion(), "Version vom 11.11.13 (BLZ-Stand: 09.12.13) Rev 1");
  // Sparda-Bank West used method 51 in 2013 and 09 in 2026.
  EXPECT_EQ(probe->GetRule("37060590"), 51);
  ASSERT_EQ(Pkg().Activate(kNewFile), 0);
  EXPECT_EQ(probe->GetRule("37060590"), 9);
}

TEST_F(ActivePackage, RefusedFilesLeaveTheOldOneActive) {
  auto probe = TProxyZelProbeObject::Create("ZelProbeObject");
  probe->GetFirstBank();
  const std::string old = Read(data_ / kOldFile);
  Put("ZelObjects_2090_1.wbd", std::string(5000, 'x'));
  Put("ZelObjects_2090_2.wbd", old.substr(0, old.size() / 2));
  Put("ZelObjects_2090_3.wbd", old.substr(0, 64));
  fs::copy_file(fs::path(ZEL_TEST_MODULE_DIR) / "OtherVersion.wbd",
                data_ / "ZelObjects_2090_4.wbd");
  for (const std::string name : {"ZelObjects_2090_1.wbd", "ZelObjects_2090_2.wbd",
                                 "ZelObjects_2090_3.wbd", "ZelObjects_2090_4.wbd"}) {
    EXPECT_EQ(Pkg().Activate(name), 13) << name;
    EXPECT_FALSE(Pkg().GetLastError().empty());
    EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);
    EXPECT_EQ(probe->TestBlzKto("10000000", "1"), 3);
  }
  EXPECT_NE(Pkg().GetLastError().find("99"), std::string::npos);
  EXPECT_EQ(Pkg().Activate("ZelObjects_2090_9.wbd"), 13);  // not a quarter
  EXPECT_EQ(Pkg().Activate("ZelObjects_2091_1.wbd"), 3);   // not there
  EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);
}

// What is checked before a data file's code may run; each refusal names its
// reason, and the old file stays active.
TEST_F(ActivePackage, DataFilesAreCheckedBeforeTheyAreLoaded) {
  const std::string good = (data_ / kOldFile).string();
  auto copy = [&](const std::string& name) {
    fs::copy_file(good, data_ / name);
    Record(name);
    return (data_ / name).string();
  };
  struct Case {
    std::string name;
    const char* reason;  // a part of the refusal's text
  };
  fs::copy_file(good, data_ / "Other.wbd");
  Record("Other.wbd");
  fs::create_symlink(good, data_ / "ZelObjects_2091_1.wbd");
  fs::copy_file(data_ / (kOldFile + ".sha256"), data_ / "ZelObjects_2091_1.wbd.sha256");
  fs::permissions(copy("ZelObjects_2091_2.wbd"), fs::perms::group_write, fs::perm_options::add);
  ::mkfifo((data_ / "ZelObjects_2091_3.wbd").c_str(), 0600);
  fs::create_directory(data_ / "ZelObjects_2091_4.wbd");
  {
    std::ofstream(data_ / "ZelObjects_2092_1.wbd", std::ios::binary) << "";
    fs::resize_file(data_ / "ZelObjects_2092_1.wbd", std::uintmax_t{200} << 30);  // sparse
  }
  fs::copy_file(good, data_ / "ZelObjects_2092_2.wbd");  // no digest recorded
  std::string flipped = Read(good);
  for (int i = 200; i < 4096; i += 97) flipped[static_cast<std::size_t>(i)] ^= 0x21;
  Put("ZelObjects_2092_3.wbd", flipped);
  fs::copy_file(data_ / (kOldFile + ".sha256"), data_ / "ZelObjects_2092_3.wbd.sha256");
  const Case cases[] = {
      {"Other.wbd", "ZelObjects_JJJJ_Q.wbd"},
      {"ZelObjects_2091_1.wbd", "symbolischer Verweis"},
      {"ZelObjects_2091_2.wbd", "auch für andere beschreibbar"},
      {"ZelObjects_2091_3.wbd", "keine gewöhnliche Datei"},
      {"ZelObjects_2091_4.wbd", "keine gewöhnliche Datei"},
      {"ZelObjects_2092_1.wbd", "zu groß"},
      {"ZelObjects_2092_2.wbd", "keine Prüfsumme"},
      {"ZelObjects_2092_3.wbd", "Prüfsumme der Datei stimmt nicht"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Pkg().Activate(c.name), 13) << c.name;
    EXPECT_NE(Cp1252ToUtf8(Pkg().GetLastError()).find(c.reason), std::string::npos)
        << c.name << ": " << Cp1252ToUtf8(Pkg().GetLastError());
    EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);
  }
  EXPECT_EQ(Pkg().Activate(""), 13);  // the data directory itself
}

// A file verified once is not hashed again while it is unchanged; changed in
// place (same size, same name) it is refused.
TEST_F(ActivePackage, AChangedFileIsVerifiedAgain) {
  ASSERT_EQ(Pkg().Activate(kOldFile), 0);
  ASSERT_EQ(Pkg().Activate(kNewFile), 0);
  EXPECT_TRUE(fs::exists(root_ / "cache" / "zelvaro" / "verified-data-files"));
  {
    std::fstream f(data_ / kOldFile, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(5000);
    f.put('\x7f');
  }
  EXPECT_EQ(Pkg().Activate(kOldFile), 13);
  EXPECT_NE(Cp1252ToUtf8(Pkg().GetLastError()).find("Prüfsumme"), std::string::npos);
}

// The start-up passes over a damaged newest file and a module that loads but
// registers nothing, and says so.
TEST_F(PackageFixture, StartUpAnnouncesTheFilesItPassesOver) {
  std::string flipped = Read(data_ / kNewFile);
  for (int i = 64; i < 4096; i += 61) flipped[static_cast<std::size_t>(i)] ^= 0x5A;
  Put("ZelObjects_2099_1.wbd", flipped);
  fs::copy_file(data_ / (kNewFile + ".sha256"), data_ / "ZelObjects_2099_1.wbd.sha256");
  PutModule("MarkerOnly.wbd", "ZelObjects_2099_2.wbd");
  Pkg().SetClock([] { return static_cast<double>(zel::civil::DayNumber(2100, 1, 1)); });
  EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);
  const std::vector<std::string> notices = Pkg().TakeNotices();
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_NE(notices[0].find("ZelObjects_2099_2.wbd"), std::string::npos);
  EXPECT_NE(notices[0].find("ZelProbeObject"), std::string::npos);
  EXPECT_NE(Cp1252ToUtf8(notices[1]).find("ZelObjects_2099_1.wbd wird nicht verwendet: "),
            std::string::npos);
  EXPECT_EQ(Cp1252ToUtf8(notices[2]),
            "Es wird stattdessen die Datendatei " + kNewFile + " verwendet.");
  EXPECT_TRUE(Pkg().TakeNotices().empty());
  EXPECT_NE(TProxyZelProbeObject::Create("ZelProbeObject"), nullptr);
}

TEST_F(ActivePackage, UnloadableFileWithTheOldOneStillThere) {
  auto probe = TProxyZelProbeObject::Create("ZelProbeObject");
  const std::string first = probe->GetFirstBank();
  PutModule("Unloadable.wbd", "ZelObjects_2090_1.wbd");
  EXPECT_EQ(Pkg().Activate("ZelObjects_2090_1.wbd"), 13);
  EXPECT_NE(Pkg().GetLastError().find("zel_test_function_nobody_has"), std::string::npos);
  EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);
  auto again = TProxyZelProbeObject::Create("ZelProbeObject");
  again->GetFirstBank();
  EXPECT_EQ(probe->GetNextBank(), again->GetNextBank());
}

TEST_F(ActivePackage, UnloadableFileWithTheOldOneGone) {
  auto probe = TProxyZelProbeObject::Create("ZelProbeObject");
  probe->GetFirstBank();
  probe->GetNextBank();
  PutModule("Unloadable.wbd", "ZelObjects_2090_1.wbd");
  fs::remove(data_ / kNewFile);
  EXPECT_EQ(Pkg().Activate("ZelObjects_2090_1.wbd"), 14);
  EXPECT_EQ(Pkg().GetCurrentFileName(), "");
  EXPECT_EQ(probe->TestBlzKto("10000000", "1"), -999);
  EXPECT_EQ(probe->GetErrorMessage(-999), zel::NoDataFileText());  // still a text
  EXPECT_EQ(probe->GetLastError(), zel::NoDataFileText());
  EXPECT_THROW(probe->GetNextBank(), EZelError);
  EXPECT_EQ(TProxyZelProbeObject::Create("ZelProbeObject"), nullptr);

  // The next data file brings the object back with its state.
  ASSERT_EQ(Pkg().Activate(kOldFile), 0);
  auto fresh = TProxyZelProbeObject::Create("ZelProbeObject");
  fresh->GetFirstBank();
  fresh->GetNextBank();
  EXPECT_EQ(probe->GetNextBank(), fresh->GetNextBank());
}

TEST_F(ActivePackage, TenActivationsInARow) {
  auto probe = TProxyZelProbeObject::Create("ZelProbeObject");
  std::vector<std::string> matches{probe->GetFirstMatch("volksbank", false)};
  for (auto reference = TProxyZelProbeObject::Create("ZelProbeObject");;) {
    if (matches.size() == 1) reference->GetFirstMatch("volksbank", false);
    std::string m = reference->GetNextMatch();
    if (m.empty() || matches.size() > 11) break;
    matches.push_back(m);
  }
  ASSERT_GT(matches.size(), 11u);
  for (int i = 0; i < 10; ++i) {
    const std::string& file = i % 2 == 0 ? kOldFile : kNewFile;
    ASSERT_EQ(Pkg().Activate(file), 0) << i;
    EXPECT_EQ(Pkg().GetCurrentFileName(), file);
    EXPECT_FALSE(Mapped(i % 2 == 0 ? kNewFile : kOldFile));
    EXPECT_EQ(probe->GetNextMatch(), matches[static_cast<std::size_t>(i) + 1]) << i;
  }
}

TEST_F(ActivePackage, DataDirectoryAndNewestFile) {
  EXPECT_EQ(Pkg().GetDataDirectory(), data_.string() + "/");
  EXPECT_EQ(Pkg().GetNewestFileName(), kNewFile);
  Put("ZelObjects_2099_1.wbp", "packed, not a data file");
  EXPECT_EQ(Pkg().GetNewestFileName(), kNewFile);
  fs::create_directories(root_ / "empty");
  Pkg().SetDataDirectory((root_ / "empty").string());
  EXPECT_EQ(Pkg().GetDataDirectory(), (root_ / "empty").string() + "/");
  EXPECT_EQ(Pkg().GetNewestFileName(), "");
  EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);  // stays active
  // A full path activates a file outside the data directory.
  EXPECT_EQ(Pkg().Activate((data_ / kOldFile).string()), 0);
  EXPECT_EQ(Pkg().GetCurrentFileName(), kOldFile);
  const std::string conf = Read(root_ / "config" / "zelvaro" / "zelvaro.conf");
  EXPECT_NE(conf.find("ActiveFile=" + (data_ / kOldFile).string()), std::string::npos);
}

TEST(PackageMessages, Codes) {
  zel::TZelPackageObject& p = *zel::ZelPackage();
  EXPECT_EQ(p.GetErrorMessage(0), "Ok");
  EXPECT_EQ(Cp1252ToUtf8(p.GetErrorMessage(13)), "Die Datei ist keine gültige Datendatei");
  EXPECT_EQ(p.GetErrorMessage(3), "Die Datei konnte nicht geladen werden");
  EXPECT_EQ(p.GetErrorMessage(5), "Die Datei ist bereits als entpackte Version vorhanden");
  EXPECT_NE(Cp1252ToUtf8(p.GetErrorMessage(14)).find("nicht wieder geladen"), std::string::npos);
  EXPECT_EQ(p.GetErrorMessage(42), "Unbekannter Fehlercode Nr. 42");
}

}  // namespace
