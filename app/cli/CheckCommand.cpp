// zel check: one account, one method, or a batch of lines.

#include <memory>
#include <string>

#include "BatchInput.h"
#include "CliCommon.h"
#include "Commands.h"

namespace zelcli {
namespace {

using zel::Cp1252ToUtf8;
using zel::TProxyZelProbeObject;
using zel::Utf8ToCp1252;

constexpr int kUnknownMethod = 1;  // the status "Unbekanntes Prüfzifferverfahren"

// The single check's answer: code, text and, for -3 and 200 and above, the
// successor bank code.
struct CheckResult {
  int code;
  std::string text;
  std::string successor;
};

// The bank code asking for its deletion state (a "+" the user typed counts).
std::string WithPlus(const std::string& blz) {
  return !blz.empty() && blz.back() == '+' ? blz : blz + "+";
}

CheckResult CheckOne(TProxyZelProbeObject& p, const std::string& blz, const std::string& kto) {
  CheckResult r;
  const std::string extended = WithPlus(blz);
  r.code = p.TestBlzKto(extended, kto);
  r.text = p.GetErrorMessage(r.code);
  if (r.code == -3 || r.code >= 200) r.successor = p.GetBankName20(extended).substr(7, 8);
  return r;
}

void PrintCheck(Context& c, const std::string& blz, const std::string& kto, const CheckResult& r) {
  if (c.json) {
    JsonObject o;
    o.Typed("blz", blz).Text("account", kto).Number("code", r.code).Text("text", r.text);
    if (!r.successor.empty()) o.Text("successor", r.successor);
    c.out << o.Str() << "\n";
    return;
  }
  c.out << "Ergebnis: " << r.code << "\nErgebnistext: " << Cp1252ToUtf8(r.text) << "\n";
  if (!r.successor.empty()) c.out << "Nachfolge-BLZ: " << r.successor << "\n";
}

// Each core's handler keeps its own texts and buffers.
int CheckBatch(Context& c, TProxyZelProbeObject& p, std::istream& in) {
  return Batch(c, in, [&c, &p]() -> BatchLine {
    struct State {
      explicit State(TProxyZelProbeObject& probe) : texts(probe) {}
      StatusTexts texts;
      std::string extended, kto;
    };
    auto s = std::make_shared<State>(p);
    return [&c, &p, s](std::string_view blz, std::string_view account, OutBuffer& out) {
      s->kto = Utf8ToCp1252(account);
      s->extended.assign(blz);
      if (s->extended.empty() || s->extended.back() != '+') s->extended += '+';  // deletion too
      const int code = p.TestBlzKto(s->extended, s->kto);
      if (c.json)
        out << JsonObject()
                   .Typed("blz", std::string(blz))
                   .Text("account", s->kto)
                   .Number("code", code)
                   .Text("text", s->texts.Raw(code))
                   .Str()
            << '\n';
      else
        out << blz << ';' << account << ';' << static_cast<long>(code) << ';' << s->texts.Utf8(code)
            << '\n';
    };
  });
}

// The account against one method, without a bank: the method code has two
// characters, the bank code (for methods that use it) eight digits.
int MethodCheck(Context& c, TProxyZelProbeObject& p) {
  const Args& a = c.args;
  if (a.words.size() != 1) return -1;
  const std::string method = a.Get("--method"), blz = a.Get("--blz");
  if (method.size() != 2) {
    c.err << "Die Prüfmethode muss aus zwei Zeichen bestehen (z. B. 52 oder A7).\n";
    return kUsage;
  }
  if (a.Has("--blz") && !IsDigits(blz, 8)) {
    c.err << "Die Bankleitzahl muss aus 8 Ziffern bestehen.\n";
    return kUsage;
  }
  const std::string kto = Utf8ToCp1252(a.words[0]);
  CheckResult r;
  r.code = p.TestByMethod(method, blz, kto);
  r.text = p.GetErrorMessage(r.code);
  if (r.code == kUnknownMethod) {
    c.err << Cp1252ToUtf8(r.text) << ": " << method << "\n";
    return kUsage;
  }
  PrintCheck(c, blz, kto, r);
  return Accepted(r.code) ? kAccepted : kRejected;
}

}  // namespace

int Check(Context& c) {
  auto p = Probe(c);
  if (!p) return kUsage;
  const Args& a = c.args;
  if (IsBatch(c)) return WithBatchInput(c, [&](std::istream& in) { return CheckBatch(c, *p, in); });
  if (a.Has("--method")) return MethodCheck(c, *p);
  if (a.words.size() != 2) return -1;
  const std::string kto = Utf8ToCp1252(a.words[1]);
  const CheckResult r = CheckOne(*p, a.words[0], kto);
  PrintCheck(c, a.words[0], kto, r);
  return Accepted(r.code) ? kAccepted : kRejected;
}

}  // namespace zelcli
