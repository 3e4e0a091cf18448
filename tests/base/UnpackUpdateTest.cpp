// Packed data files and the update server.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <string>

#include "PackageFixture.h"
#include "PackedFile.h"
#include "TestHttpServer.h"

namespace {

using namespace zeltest;
using zel::Cp1252ToUtf8;

class Unpack : public ActivePackage {
 protected:
  void SetUp() override {
    ActivePackage::SetUp();
    std::string reason;
    ASSERT_TRUE(
        zel::PackDataFile((data_ / kOldFile).string(), (root_ / "old.wbp").string(), reason));
    packed_ = Read(root_ / "old.wbp");
    fs::remove(data_ / kOldFile);
  }
  std::string packed_;
};

TEST_F(Unpack, UnpacksIntoTheDataDirectory) {
  Put("ZelObjects_2013_4.wbp", packed_);
  EXPECT_LT(packed_.size(), fs::file_size(data_ / kNewFile));  // it is compressed
  EXPECT_EQ(Pkg().Unpack("ZelObjects_2013_4.wbp"), 0) << Cp1252ToUtf8(Pkg().GetLastError());
  EXPECT_EQ(Read(data_ / kOldFile), Read(fs::path(ZEL_BUILT_DATA_DIR) / kOldFile));
  EXPECT_EQ(Pkg().Activate(kOldFile), 0);
  EXPECT_EQ(Pkg().Unpack("ZelObjects_2013_4.wbp"), 5);
  // No temporary files are left behind.
  int files = 0;
  for (const auto& e : fs::directory_iterator(data_)) files += e.is_regular_file();
  EXPECT_EQ(files, 7);  // two data files with digests and signatures, the packed file
}

TEST_F(Unpack, PackingRefusesWhatUnpackingWouldRefuse) {
  std::string reason;
  const std::string wbd = (data_ / kNewFile).string();
  const std::string bytes = Read(wbd);
  EXPECT_FALSE(zel::PackDataFile(wbd, wbd, reason));  // its own input
  EXPECT_EQ(Read(wbd), bytes);
  fs::copy_file(wbd, data_ / "Other.wbd");
  EXPECT_FALSE(
      zel::PackDataFile((data_ / "Other.wbd").string(), (root_ / "o.wbp").string(), reason));
  EXPECT_NE(reason.find("ZelObjects_JJJJ_Q.wbd"), std::string::npos);
}

TEST_F(Unpack, UnpackedFilesAreReadableByAllAndCarryTheirDigest) {
  Put("ZelObjects_2013_4.wbp", packed_);
  ::umask(077);
  ASSERT_EQ(Pkg().Unpack("ZelObjects_2013_4.wbp"), 0);
  EXPECT_EQ(fs::status(data_ / kOldFile).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);
  EXPECT_EQ(Read(data_ / (kOldFile + ".sha256")),
            Read(fs::path(ZEL_BUILT_DATA_DIR) / (kOldFile + ".sha256")));
  EXPECT_EQ(Pkg().Activate(kOldFile), 0);
}

TEST_F(Unpack, MissingFile) {
  EXPECT_EQ(Pkg().Unpack("Fehlt.wbp"), 3);
  EXPECT_NE(Cp1252ToUtf8(Pkg().GetLastError()).find("geöffnet"), std::string::npos);
}

TEST_F(Unpack, DamagedFiles) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  // A run of changed bytes in the compressed data (a single byte may by chance
  // leave the decompressed data as it was).
  std::string flipped = packed_;
  for (std::size_t i = flipped.size() / 2; i < flipped.size() / 2 + 64; ++i)
    flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
  std::string badDigest = packed_;
  badDigest[20] = static_cast<char>(badDigest[20] ^ 1);
  std::string badName = packed_;
  badName[50] = '/';
  const Case cases[] = {
      {"changed bytes", flipped},
      {"digest changed", badDigest},
      {"name with a slash", badName},
      {"cut in half", packed_.substr(0, packed_.size() / 2)},
      {"one byte short", packed_.substr(0, packed_.size() - 1)},
      {"one byte more", packed_ + "x"},
      {"header only", packed_.substr(0, 40)},
      {"empty", ""},
      {"foreign", std::string(1000, 'Z')},
  };
  for (const Case& c : cases) {
    Put("bad.wbp", c.bytes);
    EXPECT_EQ(Pkg().Unpack("bad.wbp"), 13) << c.what;
    EXPECT_FALSE(fs::exists(data_ / kOldFile)) << c.what;
    fs::remove(data_ / kOldFile);  // one failure does not hide the next
  }
}

// The update server: /ok serves a packed file to user "anna" with password
// "geheim"; /refuse answers with its own reason; /garbage with HTML; /slow
// too late.
class Update : public ActivePackage {
 protected:
  void SetUp() override {
    ActivePackage::SetUp();
    std::string reason;
    ASSERT_TRUE(zel::PackDataFile((data_ / kOldFile).string(), (root_ / "p.wbp").string(), reason));
    packed_ = Read(root_ / "p.wbp");
    server_ = std::make_unique<TestHttpServer>([this](const HttpRequest& r) { return Answer(r); });
    Pkg().UpdateSetTimeout(2);
    Pkg().UpdateAllowInsecureHttp(true);  // the test server speaks plain http on this machine
  }
  void TearDown() override {
    server_.reset();
    ActivePackage::TearDown();
  }
  HttpReply Answer(const HttpRequest& r) {
    if (r.path.rfind("/ok/", 0) == 0 && r.authorization != "Basic YW5uYTpnZWhlaW0=")
      return {401, "", 0};
    if (r.path == "/ok/newest") return {200, "ZelObjects_2099_1.wbp\r\n", 0};
    if (r.path == "/ok/files/ZelObjects_2099_1.wbp") return {200, packed_, 0};
    if (r.path == "/refuse/newest") return {200, "-Das Abonnement ist abgelaufen", 0};
    if (r.path == "/garbage/newest") return {200, "<html>Wartung</html>", 0};
    if (r.path == "/evil/newest") return {200, "../../etc/passwd.wbp", 0};
    if (r.path == "/slow/newest") return {200, "ZelObjects_2099_1.wbp", 4000};
    if (r.path == "/endless/newest") return {200, "ZelObjects_2099_1.wbp", 0, 1ULL << 40};
    if (r.path == "/bigfile/newest") return {200, "ZelObjects_2099_1.wbp", 0};
    if (r.path == "/bigfile/files/ZelObjects_2099_1.wbp") return {200, packed_, 0, 1ULL << 40};
    if (r.path == "/html/newest") return {200, "ZelObjects_2099_1.wbp", 0};
    if (r.path == "/html/files/ZelObjects_2099_1.wbp") return {200, "<html>Wartung</html>", 0};
    if (r.path == "/bell/newest") return {200, "-Gesperrt\x1b[2J\a bis morgen", 0};
    return {404, "", 0};
  }
  void UseServer(const std::string& prefix) {
    ::setenv("ZELVARO_UPDATE_URL", server_->Url(prefix).c_str(), 1);
  }

  std::string packed_;
  std::unique_ptr<TestHttpServer> server_;
};

// The update address is read when the package object starts, so each test
// sets it through a package of its own process; here it is passed on the
// call path that tests can reach: the environment before first use.
TEST_F(Update, CheckAndDownload) {
  zel::TUpdateSettings s;
  s.insecureHttp = true;  // the test server on this machine
  s.url = server_->Url("ok");
  s.timeoutSeconds = 2;
  EXPECT_EQ(zel::UpdateCheck(s, "anna", "geheim"), "+ZelObjects_2099_1.wbp");
  EXPECT_FALSE(fs::exists(data_ / "ZelObjects_2099_1.wbp"));
  EXPECT_EQ(zel::UpdateDownload(s, "anna", "geheim", data_.string()), "+ZelObjects_2099_1.wbp");
  EXPECT_EQ(Read(data_ / "ZelObjects_2099_1.wbp"), packed_);
  // A download neither unpacks nor activates.
  EXPECT_FALSE(fs::exists(data_ / "ZelObjects_2099_1.wbd"));
  EXPECT_EQ(Pkg().GetCurrentFileName(), kNewFile);
}

TEST_F(Update, Refusals) {
  zel::TUpdateSettings s;
  s.insecureHttp = true;  // the test server on this machine
  s.timeoutSeconds = 1;
  struct Case {
    std::string url;
    std::string user, password;
    std::string answer;
  };
  const Case cases[] = {
      {server_->Url("ok"), "anna", "falsch", "-Benutzername oder Kennwort ist falsch"},
      {server_->Url("refuse"), "anna", "geheim", "-Das Abonnement ist abgelaufen"},
      {server_->Url("garbage"), "anna", "geheim",
       "-Server lieferte keine auswertbaren Daten zurück"},
      {server_->Url("evil"), "anna", "geheim", "-Server lieferte keine auswertbaren Daten zurück"},
      {server_->Url("missing"), "anna", "geheim", "-Auf dem Server liegt keine Datendatei vor"},
      {server_->Url("slow"), "anna", "geheim", "-Der Server hat nicht rechtzeitig geantwortet"},
      {"http://127.0.0.1:" + std::to_string(TestHttpServer::ClosedPort()) + "/", "a", "b",
       "-Verbindung zum Server konnte nicht hergestellt werden"},
      {"", "a", "b", "-Es ist kein Update-Server eingestellt"},
      {"http://example.org/", "a", "b",
       "-Benutzername und Kennwort werden nur verschlüsselt (https://) gesendet; die Adresse "
       "http://example.org/ ist es nicht"},
  };
  for (const Case& c : cases) {
    s.url = c.url;
    EXPECT_EQ(Cp1252ToUtf8(zel::UpdateCheck(s, c.user, c.password)), c.answer) << c.url;
    EXPECT_EQ(Cp1252ToUtf8(zel::UpdateDownload(s, c.user, c.password, data_.string())), c.answer);
  }
  int files = 0;
  for (const auto& e : fs::directory_iterator(data_)) files += e.is_regular_file();
  EXPECT_EQ(files, 6);  // nothing beside the two data files, their digests and signatures
}

// Answers that would grow without end, HTML in place of the packed file and
// control bytes in a reason: the client stays bounded and keeps the old file.
TEST_F(Update, HostileAnswers) {
  zel::TUpdateSettings s;
  s.insecureHttp = true;  // the test server on this machine
  s.timeoutSeconds = 20;
  Put("ZelObjects_2099_1.wbp", "the good old file");
  struct Case {
    const char* prefix;
    const char* answer;
  };
  const Case cases[] = {
      {"endless", "-Die Antwort des Servers ist zu groß"},
      {"bigfile", "-Die Antwort des Servers ist zu groß"},
      {"html", "-Der Server lieferte keine gepackte Datendatei"},
      {"bell", "-Gesperrt[2J bis morgen"},
  };
  for (const Case& c : cases) {
    s.url = server_->Url(c.prefix);
    EXPECT_EQ(Cp1252ToUtf8(zel::UpdateDownload(s, "a", "b", data_.string())), c.answer) << c.prefix;
    EXPECT_EQ(Read(data_ / "ZelObjects_2099_1.wbp"), "the good old file") << c.prefix;
  }
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  EXPECT_LT(u.ru_maxrss, 1024 * 1024);  // kilobytes: far below the 300 MB cap's worth of answers
}

// With a proxy set, requests go to it (with the full address); a proxy
// that cannot be reached is a connection failure.
TEST_F(Update, ThroughAProxy) {
  TestHttpServer proxy([](const HttpRequest& r) -> HttpReply {
    if (r.path == "http://update.zelvaro.invalid/newest") return {200, "ZelObjects_2099_2.wbp", 0};
    return {404, "", 0};
  });
  zel::TUpdateSettings s;
  s.insecureHttp = true;  // the test server on this machine
  s.url = "http://update.zelvaro.invalid/";
  s.timeoutSeconds = 2;
  const std::string proxyUrl = proxy.Url("");
  s.proxyHost = "127.0.0.1";
  s.proxyPort = std::stoi(proxyUrl.substr(proxyUrl.rfind(':') + 1));
  // No credentials: they never go to another machine over plain http.
  EXPECT_EQ(zel::UpdateCheck(s, "", ""), "+ZelObjects_2099_2.wbp");
  EXPECT_NE(zel::UpdateCheck(s, "anna", "geheim").find("nur verschl"), std::string::npos);
  s.proxyPort = TestHttpServer::ClosedPort();
  EXPECT_EQ(zel::UpdateCheck(s, "", ""), "-Verbindung zum Server konnte nicht hergestellt werden");
}

TEST_F(PackageFixture, PackageObjectTalksToTheConfiguredServer) {
  std::string packed;
  {
    std::string reason;
    ASSERT_TRUE(zel::PackDataFile((data_ / kOldFile).string(), (root_ / "p.wbp").string(), reason));
    packed = Read(root_ / "p.wbp");
  }
  TestHttpServer server([&](const HttpRequest& r) -> HttpReply {
    if (r.path == "/u/newest") return {200, "ZelObjects_2099_1.wbp", 0};
    if (r.path == "/u/files/ZelObjects_2099_1.wbp") return {200, packed, 0};
    return {404, "", 0};
  });
  ::setenv("ZELVARO_UPDATE_URL", server.Url("u").c_str(), 1);
  // First use of the package object in this process: it reads the address.
  Pkg().UpdateAllowInsecureHttp(true);  // the test server on this machine
  EXPECT_EQ(Pkg().UpdateServerCheck("x", "y"), "+ZelObjects_2099_1.wbp");
  EXPECT_EQ(Pkg().GetLastError(), "ZelObjects_2099_1.wbp");
  EXPECT_EQ(Pkg().UpdateServerDownload("x", "y"), "+ZelObjects_2099_1.wbp");
  EXPECT_EQ(Pkg().Unpack("ZelObjects_2099_1.wbp"), 5);  // it holds the 2013 file, present
  fs::remove(data_ / kOldFile);
  EXPECT_EQ(Pkg().Unpack("ZelObjects_2099_1.wbp"), 0);
  EXPECT_TRUE(fs::exists(data_ / kOldFile));
}

}  // namespace
