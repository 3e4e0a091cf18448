// The online BIC test against local servers: the answer pages, a missing,
// slow or endless server, a proxy, and the request as sent.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "../base/LocalHttpServer.h"
#include "Cp1252.h"
#include "ZelSwiftObject.h"

namespace {

using namespace zel;
using zeltest::LocalHttpServer;
using Answer = LocalHttpServer::Answer;

class Swift : public ::testing::Test {
 protected:
  void TearDown() override { ::unsetenv("ZELVARO_BIC_URL"); }
  static void Use(const std::string& url) { ::setenv("ZELVARO_BIC_URL", url.c_str(), 1); }
  TZelSwiftObject swift_;
};

TEST_F(Swift, AnswerPages) {
  struct Case {
    const char* page;
    int hits;
  };
  const Case cases[] = {
      {"<h2>Query results</h2><td>3 Record(s)</td>", 3},
      {"Query results<p>1 Record(s)", 1},
      {"Query results<p>0 Record(s)", -1},
      {"Query results<p>viele Record(s)", 0},
      {"Query results<p><b>3</b> Record(s)", 0},
      {"<h2>Wartung</h2>", -300},
      {"Query results ohne Zahl", -300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    LocalHttpServer server([&](const std::string&) { return Answer{c.page}; });
    Use(server.Url());
    EXPECT_EQ(swift_.TestBic("DEUTDEFF"), c.hits);
    EXPECT_EQ(swift_.GetLastError(), c.hits == -300 ? "Server-Antwort ist nicht auswertbar" : "Ok");
  }
  EXPECT_EQ(Cp1252ToUtf8(swift_.GetErrorMessage(3)), "Es wurden 3 Datensätze gefunden.");
  EXPECT_EQ(swift_.GetErrorMessage(-7), "Unbekannter Fehlercode Nr. -7");
}

// The form post: its order, its encoding, its path.
TEST_F(Swift, RequestAsSent) {
  LocalHttpServer server([](const std::string&) { return Answer{"Query results>2 Record(s)"}; });
  Use(server.Url());
  EXPECT_EQ(swift_.TestBic(Utf8ToCp1252("de ß&x=1")), 2);
  const std::string r = server.Requests().at(0);
  EXPECT_EQ(r.rfind("POST /biconline/index.cfm HTTP/1.1\r\n", 0), 0u) << r;
  EXPECT_NE(r.find("Content-Type: application/x-www-form-urlencoded"), std::string::npos);
  EXPECT_EQ(r.substr(r.find("\r\n\r\n") + 4),
            "fuseaction=process_bicsearch&selected_bic=de%20%DF%26x%3D1&selected_institution=");
}

TEST_F(Swift, ServersThatFail) {
  Use("http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/biconline/index.cfm");
  EXPECT_EQ(swift_.TestBic("DEUTDEFF"), -200);
  EXPECT_EQ(swift_.GetLastError(), "Verbindung zum Server konnte nicht hergestellt werden");
  {
    LocalHttpServer slow([](const std::string&) {
      return Answer{"Query results>1 Record(s)", 5000};
    });
    Use(slow.Url());
    swift_.SetTimeout(1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(swift_.TestBic("DEUTDEFF"), -200);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  }
  LocalHttpServer endless([](const std::string&) { return Answer{"Query results", 0, true}; });
  Use(endless.Url());
  swift_.SetTimeout(30);
  EXPECT_EQ(swift_.TestBic("DEUTDEFF"), -200);
  EXPECT_EQ(Cp1252ToUtf8(swift_.GetLastError()), "Die Antwort des Servers ist zu groß");
}

// The request goes to the proxy, which answers for the service.
TEST_F(Swift, Proxy) {
  LocalHttpServer proxy([](const std::string&) { return Answer{"Query results>5 Record(s)"}; });
  Use("http://bic-suche.invalid/biconline/index.cfm");
  swift_.SetProxy("127.0.0.1", proxy.Port());
  EXPECT_EQ(swift_.TestBic("DEUTDEFF"), 5);
  EXPECT_EQ(proxy.Requests().at(0).rfind("POST http://bic-suche.invalid/biconline/index.cfm", 0),
            0u);
  swift_.SetProxy("127.0.0.1", 0);  // no proxy: the name does not resolve
  EXPECT_EQ(swift_.TestBic("DEUTDEFF"), -200);
}

TEST_F(Swift, State) {
  swift_.SetProxy("proxy", 3128);
  swift_.SetTimeout(30);
  TByteStream s;
  swift_.Freeze(s);
  s.Seek(0);
  auto thawed = TZelSwiftObject::Thaw(s);
  TByteStream again;
  thawed->Freeze(again);
  EXPECT_EQ(again.Bytes(), s.Bytes());
  EXPECT_NE(std::string(s.Bytes()).find("30000"), std::string::npos);
  TByteStream empty;
  auto fresh = TZelSwiftObject::Thaw(empty);
  TByteStream none;
  fresh->Freeze(none);
  EXPECT_NE(std::string(none.Bytes()).find("Timeout"), std::string::npos);
}

}  // namespace
