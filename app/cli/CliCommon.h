// The pieces every zel command shares: the parsed command line, the
// streams, JSON output, buffered output and the status texts.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Cp1252.h"
#include "Proxies.h"
#include "ZelCli.h"

namespace zelcli {

// The parsed command line: positional words and options.
struct Args {
  std::vector<std::string> words;
  std::map<std::string, std::string> options;  // "--name" -> value ("" for flags)
  bool Has(const std::string& o) const { return options.count(o) != 0; }
  std::string Get(const std::string& o) const {
    const auto it = options.find(o);
    return it == options.end() ? std::string() : it->second;
  }
};

struct Context {
  Args args;
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool json = false;
};

std::string JsonString(const std::string& utf8);

// A JSON object built field by field; texts come in code page 1252.
// The loaded bank data's period of validity, judged against today.
struct DataValidity {
  bool known = false;          // a data file is loaded
  bool stale = false;          // today lies outside the period
  std::string file, from, to;  // "DD.MM.YYYY"
};
// The judgement of this run (set when the command starts).
DataValidity& Validity();
// Judges the loaded data file against today.
DataValidity JudgeValidity();

class JsonObject {
 public:
  JsonObject& Text(const std::string& key, const std::string& cp1252) {
    return Raw(key, JsonString(zel::Cp1252ToUtf8(cp1252)));
  }
  // A text as the user typed it (UTF-8).
  JsonObject& Typed(const std::string& key, const std::string& utf8) {
    return Raw(key, JsonString(utf8));
  }
  JsonObject& Number(const std::string& key, long v) { return Raw(key, std::to_string(v)); }
  JsonObject& Raw(const std::string& key, const std::string& json) {
    fBody += (fBody.empty() ? "" : ",") + JsonString(key) + ":" + json;
    return *this;
  }
  // Results from bank data outside its validity say so.
  std::string Str() const {
    return "{" + fBody + (Validity().stale ? ",\"data_valid\":false}" : "}");
  }

 private:
  std::string fBody;
};

constexpr const char* kNoDataFile = "Es ist keine Datendatei geladen!";

// The account check proxy, or nothing (and the message) without a data file.
std::unique_ptr<zel::TProxyZelProbeObject> Probe(Context& c);

// Status codes 0 to 10 accept an account.
inline bool Accepted(int code) { return code >= 0 && code <= 10; }

// Exactly n characters, all digits.
bool IsDigits(const std::string& s, std::size_t n);

// The whole text as an int.
bool ToInt(const std::string& text, int& value);

// Output gathered in one buffer and written in large pieces: a batch of a
// million lines makes a few hundred writes, not a million.
class OutBuffer {
 public:
  explicit OutBuffer(std::ostream& out) : fOut(&out) { fBuffer.reserve(kSize + 512); }
  // Into a text of the caller (a batch block's answers): no copy at the end.
  explicit OutBuffer(std::string& target) : fOut(nullptr), fTarget(&target) {}
  ~OutBuffer() { Flush(); }
  OutBuffer(const OutBuffer&) = delete;
  OutBuffer& operator=(const OutBuffer&) = delete;

  OutBuffer& operator<<(std::string_view s) {
    Buffer().append(s);
    if (fOut && fBuffer.size() >= kSize) Flush();
    return *this;
  }
  OutBuffer& operator<<(char c) {
    Buffer().push_back(c);
    return *this;
  }
  OutBuffer& operator<<(long v);
  void Flush();

 private:
  std::string& Buffer() { return fTarget ? *fTarget : fBuffer; }
  static constexpr std::size_t kSize = 1 << 16;
  std::ostream* fOut;
  std::string* fTarget = nullptr;
  std::string fBuffer;
};

// The UTF-8 text of each status code, asked of the object once per run.
class StatusTexts {
 public:
  explicit StatusTexts(zel::TProxyZelProbeObject& p) : fProbe(p) {}
  // Code page 1252, as the object gives it.
  const std::string& Raw(int code);
  const std::string& Utf8(int code);

 private:
  using Texts = std::pair<std::string, std::string>;  // code page 1252, UTF-8
  static constexpr int kLeast = -16, kNear = 512;     // codes kept in place
  zel::TProxyZelProbeObject& fProbe;
  std::vector<std::unique_ptr<Texts>> fNear = std::vector<std::unique_ptr<Texts>>(kNear);
  std::unordered_map<int, Texts> fFar;
  const Texts& Get(int code);
  Texts Load(int code);
};

}  // namespace zelcli
