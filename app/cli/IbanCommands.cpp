// zel iban, bic, scl and creditor-id: IBANs, BICs and the SCL directory.

#include <string>

#include "BatchInput.h"
#include "CliCommon.h"
#include "Commands.h"
#include "WindowTexts.h"

namespace zelcli {
namespace {

using zel::Cp1252ToUtf8;
using zel::TProxyZelProbeObject;
using zel::Utf8ToCp1252;

struct IbanAnswer {
  bool ok;
  std::string iban, bic, error;  // code page 1252
};

IbanAnswer BuildIban(TProxyZelProbeObject& p, const std::string& blz, const std::string& account,
                     bool spaces) {
  if (blz.size() != 8) return {false, "", "", "Die Bankleitzahl muss 8 Stellen lang sein!"};
  // The account text as the status codes judge it: digits only, at most ten.
  const int malformed = account.empty() || !IsDigits(account, account.size()) ? 12
                        : account.size() > 10                                 ? 11
                                                                              : 0;
  if (malformed != 0)
    return {false, "", "",
            "Fehler " + std::to_string(malformed) + ": " + p.GetErrorMessage(malformed)};
  const std::string answer = p.GetIban(blz + "*", account, spaces);
  if (!answer.empty() && answer[0] == '*') return {false, "", "", zel::IbanFailureText(p, answer)};
  const std::size_t tilde = answer.find('~');
  if (tilde == std::string::npos) return {true, answer, "", ""};
  return {true, answer.substr(0, tilde), answer.substr(tilde + 1), ""};
}

int IbanCheck(Context& c, TProxyZelProbeObject& p, const std::string& iban) {
  const int code = p.TestIban(Utf8ToCp1252(iban));
  // A form that fails says which rule (an unknown country by its code).
  const std::string why = code == 12 ? p.GetLastError() : std::string();
  const std::string text = why.empty() ? p.GetErrorMessage(code) : why;
  if (c.json)
    c.out << JsonObject().Typed("iban", iban).Number("code", code).Text("text", text).Str() << "\n";
  else
    c.out << "Ergebnis: " << code << " (" << Cp1252ToUtf8(text) << ")\n";
  return Accepted(code) ? kAccepted : kRejected;
}

// Out is the command's stream or a batch's buffer.
template <typename Out>
void PrintIban(Out& out, bool json, const std::string& blz, const std::string& account,
               const IbanAnswer& r, bool batch) {
  if (json) {
    JsonObject o;
    o.Typed("blz", blz).Typed("account", account);
    if (r.ok)
      o.Text("iban", r.iban).Text("bic", r.bic);
    else
      o.Text("error", r.error);
    out << o.Str() << '\n';
  } else if (batch) {
    out << blz << ';' << account << ';' << r.iban << ';' << r.bic;
    if (!r.ok) out << ';' << Cp1252ToUtf8(r.error);
    out << '\n';
  } else if (r.ok) {
    out << "IBAN: " << r.iban << "\nBIC: " << r.bic << '\n';
  } else {
    out << Cp1252ToUtf8(r.error) << '\n';
  }
}

}  // namespace

int Iban(Context& c) {
  auto p = Probe(c);
  if (!p) return kUsage;
  const Args& a = c.args;
  const bool spaces = a.Has("--spaces");
  if (a.Has("--check")) return a.words.size() == 1 ? IbanCheck(c, *p, a.words[0]) : -1;
  if (IsBatch(c))
    return WithBatchInput(c, [&](std::istream& in) {
      return Batch(c, in, [&]() -> BatchLine {
        return [&](std::string_view blz, std::string_view account, OutBuffer& out) {
          const std::string code(blz), number(account);
          PrintIban(out, c.json, code, number, BuildIban(*p, code, Utf8ToCp1252(account), spaces),
                    true);
        };
      });
    });
  if (a.words.size() != 2) return -1;
  const IbanAnswer r = BuildIban(*p, a.words[0], Utf8ToCp1252(a.words[1]), spaces);
  PrintIban(c.out, c.json, a.words[0], a.words[1], r, false);
  return r.ok ? kAccepted : kRejected;
}

// The online BIC test: the hit count of the BIC search service.
int OnlineBic(Context& c) {
  const std::string proxy = c.args.Get("--proxy");
  const std::size_t colon = proxy.rfind(':');
  int port = 0, timeout = 0;
  if ((!proxy.empty() && (colon == std::string::npos || !ToInt(proxy.substr(colon + 1), port) ||
                          port <= 0 || port > 65535)) ||
      (c.args.Has("--timeout") && (!ToInt(c.args.Get("--timeout"), timeout) || timeout <= 0))) {
    c.err << "--proxy braucht HOST:PORT, --timeout eine Zahl von Sekunden.\n";
    return kUsage;
  }
  auto swift = zel::TProxyZelSwiftObject::Create("ZelSwiftObject");
  if (!swift) {
    c.err << kNoDataFile << "\n";
    return kUsage;
  }
  if (!proxy.empty()) swift->SetProxy(proxy.substr(0, colon), port);
  if (timeout > 0) swift->SetTimeout(timeout);
  const int hits = swift->TestBic(c.args.words[0]);
  const std::string text = Cp1252ToUtf8(swift->GetErrorMessage(hits));
  if (c.json) {
    c.out << JsonObject()
                 .Typed("bic", c.args.words[0])
                 .Number("code", hits)
                 .Typed("text", text)
                 .Text("detail", swift->GetLastError())
                 .Str()
          << "\n";
  } else {
    c.out << "Ergebnis: " << hits << " (" << text << ")\n";
    if (hits <= -200) c.err << Cp1252ToUtf8(swift->GetLastError()) << "\n";
  }
  return hits >= 1 ? kAccepted : hits >= -1 ? kRejected : kUsage;
}

int Bic(Context& c) {
  if (c.args.words.size() != 1) return -1;
  if (c.args.Has("--online")) return OnlineBic(c);
  auto p = Probe(c);
  if (!p) return kUsage;
  const std::string answer = p->GetBic(c.args.words[0]);
  if (c.json)
    c.out << JsonObject().Typed("query", c.args.words[0]).Text("answer", answer).Str() << "\n";
  else
    c.out << answer << "\n";
  return answer.empty() ? kRejected : kAccepted;
}

// The window's SCL answer: bank name, then SCT, SDD, COR1 and B2B as 1
// (reachable), 0 (not reachable) or ? (unusable answer).
int Scl(Context& c) {
  if (c.args.words.size() != 1) return -1;
  auto sepa = zel::TProxyZelSepaObject::Create("ZelSepaObject");
  if (!sepa) {
    c.err << kNoDataFile << "\n";
    return kUsage;
  }
  const std::string bic = Utf8ToCp1252(c.args.words[0]);
  auto query = [&](const char* scheme) {
    return sepa->SepaCommand("BICSCL", 0, 0, 0, bic, scheme, "");
  };
  const int sct = query("SCT");
  const std::string name = sepa->GetLastError();
  if (sct == 13) {
    if (c.json)
      c.out << JsonObject().Text("bic", bic).Raw("found", "false").Str() << "\n";
    else
      c.out << "BIC " << Cp1252ToUtf8(bic) << " nicht im SCL-Directory gefunden\n";
    return kRejected;
  }
  const int sdd = query("SDD"), cor1 = query("COR1"), b2b = query("B2B");
  if (c.json) {
    c.out << JsonObject()
                 .Text("bic", bic)
                 .Raw("found", "true")
                 .Text("name", name)
                 .Text("SCT", zel::SclFlag(sct))
                 .Text("SDD", zel::SclFlag(sdd))
                 .Text("COR1", zel::SclFlag(cor1))
                 .Text("B2B", zel::SclFlag(b2b))
                 .Str()
          << "\n";
  } else {
    c.out << Cp1252ToUtf8(name) << ", SCT=" << zel::SclFlag(sct) << ", SDD=" << zel::SclFlag(sdd)
          << ", COR1=" << zel::SclFlag(cor1) << ", B2B=" << zel::SclFlag(b2b) << "\n";
  }
  return kAccepted;
}

// A creditor identifier: its form, then the check digits of the text
// without its business code (characters 5 to 7).
int CreditorId(Context& c) {
  if (c.args.words.size() != 1) return -1;
  auto p = Probe(c);
  if (!p) return kUsage;
  const std::string id = Utf8ToCp1252(c.args.words[0]);
  const int code = p->TestCreditorId(id);
  const std::string text = p->GetErrorMessage(code);
  if (c.json)
    c.out << JsonObject().Text("id", id).Number("code", code).Text("text", text).Str() << "\n";
  else
    c.out << "Ergebnis: " << code << " (" << Cp1252ToUtf8(text) << ")\n";
  return Accepted(code) ? kAccepted : kRejected;
}

}  // namespace zelcli
