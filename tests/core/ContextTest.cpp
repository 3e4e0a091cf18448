#include <gtest/gtest.h>

#include <string>

#include "Context.h"
#include "ZelProbeObject.h"

namespace {

using zel::TByteStream;
using zel::TContext;

std::string Written() {
  TByteStream s;
  TContext c(s);
  c.WriteBegin();
  c.Write("A", 1);
  c.Write("B", true);
  c.WriteEnd();
  return std::string(s.Bytes());
}

TEST(Context, ByteLayout) {
  const std::string expected = std::string("BrenkKey") +
                               std::string(
                                   "\x01"
                                   "A"
                                   "\x01\x00\x00\x00"
                                   "1",
                                   7) +
                               std::string(
                                   "\x01"
                                   "B"
                                   "\x02\x00\x00\x00"
                                   "-1",
                                   8) +
                               std::string(1, '\0');
  EXPECT_EQ(Written(), expected);
}

TEST(Context, ReadsBackAnyCaseFirstItemWins) {
  TByteStream s;
  TContext w(s);
  w.WriteBegin();
  w.Write("Name", std::string("erster"));
  w.Write("NAME", std::string("zweiter"));
  w.Write("Leer", std::string());
  w.Write("Falsch", false);
  w.WriteEnd();
  TContext r(s);
  r.ReadAll();
  EXPECT_EQ(r.GetCount(), 4);
  EXPECT_EQ(r.GetItem("name"), "erster");
  EXPECT_EQ(r.GetItem("leer"), "");
  EXPECT_EQ(r.GetItem("falsch"), "0");
  EXPECT_EQ(r.GetItem("fehlt"), "");
}

TEST(Context, WriterStartsAtZeroAndReaderIgnoresTheRest) {
  TByteStream s(std::string(100, 'x'));
  s.Seek(50);
  TContext w(s);
  w.WriteBegin();
  w.Write("A", 7);
  w.WriteEnd();
  EXPECT_EQ(s.Size(), 100u);  // not truncated
  TContext r(s);
  r.ReadAll();
  EXPECT_EQ(r.GetCount(), 1);
  EXPECT_EQ(r.GetItem("A"), "7");
}

TEST(Context, ForeignEmptyAndCutStreams) {
  const std::string full = Written();
  struct Case {
    std::string bytes;
    int items;
  };
  const Case cases[] = {
      {"", 0},
      {"BrenkKe", 0},
      {"brenkKey\x01"
       "A",
       0},
      {full.substr(0, 8), 0},
      {full.substr(0, 9), 0},                // inside the first name length
      {full.substr(0, 12), 0},               // inside the first value length
      {full.substr(0, 15), 1},               // first item complete
      {full.substr(0, 19), 1},               // ends inside the second value length
      {full.substr(0, 22), 1},               // ends inside the second value
      {full.substr(0, full.size() - 1), 2},  // no end mark
      {full + "garbage", 2},
  };
  for (const Case& c : cases) {
    TByteStream s(c.bytes);
    TContext r(s);
    r.ReadAll();
    EXPECT_EQ(r.GetCount(), c.items) << c.bytes.size() << " bytes";
  }
}

TEST(Context, HugeValueLengthIsACutStream) {
  TByteStream s(
      std::string("BrenkKey\x01"
                  "A\xff\xff\xff\xff"
                  "1",
                  15));
  TContext r(s);
  r.ReadAll();
  EXPECT_EQ(r.GetCount(), 0);
}

}  // namespace

namespace probe_thaw {

using zel::TByteStream;
using zel::TContext;

// A frozen account check object with two matches and cursors far outside
// the lists: the thawed object stays inside them.
TEST(ProbeObjectThaw, KeepsTheCursorsInsideTheirLists) {
  for (const int cursor : {-5, 2147483647, -2147483647}) {
    TByteStream s;
    TContext c(s);
    c.WriteBegin();
    c.Write("CurrentBankNumber", cursor);
    c.Write("CurrentMatchNumber", cursor);
    c.Write("MatchListOut", std::string("10000000\r\n37040044\r\n"));
    c.WriteEnd();
    s.Seek(0);
    const auto thawed = zel::TZelProbeObject::Thaw(s);
    const std::string next = thawed->GetNextMatch();
    EXPECT_TRUE(next.empty() || next == "10000000") << cursor;  // the first or none
    const std::string bank = thawed->GetNextBank();
    EXPECT_TRUE(bank.empty() || bank.size() == 8) << cursor << " " << bank;
  }
}

}  // namespace probe_thaw
