#include "ZelCli.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

#include "AtomicFile.h"
#include "Cp1252.h"
#include "Proxies.h"
#include "ZelPackage.h"

namespace zelcli {
namespace {

using zel::Cp1252ToUtf8;
using zel::TProxyZelProbeObject;
using zel::Utf8ToCp1252;

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

// Options that take a value; all others are flags.
bool TakesValue(const std::string& o) {
  return o == "--method" || o == "--blz" || o == "--file" || o == "--data" || o == "--holidays";
}

// Flags without a value.
bool IsFlag(const std::string& o) {
  return o == "--json" || o == "--help" || o == "--fragments" || o == "--spaces" ||
         o == "--check" || o == "--saturday";
}

struct Context {
  Args args;
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool json = false;
};

std::string JsonString(const std::string& utf8) {
  std::string s = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': s += "\\\""; break;
      case '\\': s += "\\\\"; break;
      case '\n': s += "\\n"; break;
      case '\r': s += "\\r"; break;
      case '\t': s += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          s += buf;
        } else {
          s += static_cast<char>(c);
        }
    }
  }
  return s + "\"";
}

// A JSON object built field by field; texts come in code page 1252.
class JsonObject {
 public:
  JsonObject& Text(const std::string& key, const std::string& cp1252) {
    return Raw(key, JsonString(Cp1252ToUtf8(cp1252)));
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
  std::string Str() const { return "{" + fBody + "}"; }

 private:
  std::string fBody;
};

constexpr const char* kNoDataFile = "Es ist keine Datendatei geladen!";

std::unique_ptr<TProxyZelProbeObject> Probe(Context& c) {
  auto p = TProxyZelProbeObject::Create("ZelProbeObject");
  if (!p) c.err << kNoDataFile << "\n";
  return p;
}

bool Accepted(int code) { return code >= 0 && code <= 10; }

// Exactly n characters, all digits.
bool IsDigits(const std::string& s, std::size_t n) {
  return s.size() == n &&
         std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

constexpr int kUnknownMethod = 1;  // the status "Unbekanntes Prüfzifferverfahren"

// ---------------------------------------------------------------------------
// check

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

// Reads lines through a large buffer, each at most kMaxLine bytes: a longer
// line is reported by the caller and skipped up to its end, so memory stays
// flat whatever the input holds.
class LineReader {
 public:
  static constexpr std::size_t kMaxLine = 4096;
  explicit LineReader(std::istream& in) : fIn(in) {}

  // False at the end of the input. `tooLong` marks a line that is too long:
  // it is reported as soon as that is clear, and the rest of it is skipped.
  bool Next(std::string_view& line, bool& tooLong) {
    tooLong = false;
    line = {};
    for (;;) {
      const char* nl =
          static_cast<const char*>(std::memchr(fBuffer.data() + fPos, '\n', fEnd - fPos));
      if (fSkipping) {
        fPos = nl ? static_cast<std::size_t>(nl - fBuffer.data()) + 1 : fEnd;
        fSkipping = nl == nullptr;
        if (fSkipping && !Fill()) return false;
        continue;
      }
      if (nl && static_cast<std::size_t>(nl - fBuffer.data()) - fPos <= kMaxLine) {
        line = std::string_view(fBuffer.data() + fPos,
                                static_cast<std::size_t>(nl - fBuffer.data()) - fPos);
        fPos += line.size() + 1;
        return true;
      }
      if (fEnd - fPos > kMaxLine) {
        fSkipping = true;
        tooLong = true;
        return true;
      }
      if (!Fill()) {
        if (fPos == fEnd) return false;
        line = std::string_view(fBuffer.data() + fPos, fEnd - fPos);  // the last line
        fPos = fEnd;
        return true;
      }
    }
  }

 private:
  // Moves the unread rest to the front and reads more; false at the end.
  bool Fill() {
    std::memmove(fBuffer.data(), fBuffer.data() + fPos, fEnd - fPos);
    fEnd -= fPos;
    fPos = 0;
    const std::streamsize n = fIn.rdbuf()->sgetn(
        fBuffer.data() + fEnd, static_cast<std::streamsize>(fBuffer.size() - fEnd));
    if (n <= 0) return false;
    fEnd += static_cast<std::size_t>(n);
    return true;
  }

  std::istream& fIn;
  std::vector<char> fBuffer = std::vector<char>(1 << 16);
  std::size_t fPos = 0, fEnd = 0;
  bool fSkipping = false;
};

// The first two fields of a batch line, split at blanks, tabs, ";" and ","
// (and a CR of a CR LF line); false unless there are exactly two.
bool TwoFields(std::string_view line, std::string_view& a, std::string_view& b) {
  auto sep = [](char ch) {
    return ch == ' ' || ch == '\t' || ch == ';' || ch == ',' || ch == '\r';
  };
  std::string_view f[3];
  int n = 0;
  for (std::size_t i = 0; i < line.size();) {
    if (sep(line[i])) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < line.size() && !sep(line[j])) ++j;
    if (n == 3) return false;
    f[n++] = line.substr(i, j - i);
    i = j;
  }
  a = f[0];
  b = f[1];
  return n == 2;
}

bool IsBlank(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char ch) {
    return ch == ' ' || ch == '\t' || ch == ';' || ch == ',' || ch == '\r';
  });
}

// Runs `each` for every line "BLZ ACCOUNT" of the input, streaming; a
// malformed or over-long line gets an error line of its own and the run
// goes on.
int Batch(Context& c, std::istream& in,
          const std::function<void(const std::string&, const std::string&)>& each) {
  LineReader reader(in);
  std::string_view line, blz, account;
  std::string blzText, accountText;
  bool tooLong = false;
  for (long lineNo = 1; reader.Next(line, tooLong); ++lineNo) {
    if (!tooLong && TwoFields(line, blz, account)) {
      blzText.assign(blz);
      accountText.assign(account);
      each(blzText, accountText);
      continue;
    }
    if (!tooLong && IsBlank(line)) continue;
    const std::string why =
        "Zeile " + std::to_string(lineNo) +
        (tooLong ? ": die Zeile ist länger als " + std::to_string(LineReader::kMaxLine) + " Zeichen"
                 : ": erwartet werden Bankleitzahl und Kontonummer");
    if (c.json)
      c.out << JsonObject().Number("line", lineNo).Raw("error", JsonString(why)).Str() << "\n";
    else
      c.out << ";;;" << why << "\n";
  }
  c.out.flush();
  return kAccepted;
}

// The input of a batch command: "-" for standard input, or --file.
int WithBatchInput(Context& c, const std::function<int(std::istream&)>& run) {
  if (!c.args.Has("--file")) return run(c.in);
  std::ifstream f(c.args.Get("--file"));
  if (!f) {
    c.err << "Die Datei " << c.args.Get("--file") << " kann nicht gelesen werden.\n";
    return kUsage;
  }
  return run(f);
}

bool IsBatch(const Context& c) {
  return c.args.Has("--file") || (c.args.words.size() == 1 && c.args.words[0] == "-");
}

int CheckBatch(Context& c, TProxyZelProbeObject& p, std::istream& in) {
  return Batch(c, in, [&](const std::string& blz, const std::string& account) {
    const std::string kto = Utf8ToCp1252(account);
    const int code = p.TestBlzKto(WithPlus(blz), kto);
    const std::string text = p.GetErrorMessage(code);
    if (c.json)
      c.out << JsonObject()
                   .Typed("blz", blz)
                   .Text("account", kto)
                   .Number("code", code)
                   .Text("text", text)
                   .Str()
            << "\n";
    else
      c.out << blz << ';' << account << ';' << code << ';' << Cp1252ToUtf8(text) << "\n";
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

// ---------------------------------------------------------------------------
// iban

// The window's text for a failed IBAN construction ("*" + code [+ " " + detail]).
std::string IbanFailureText(TProxyZelProbeObject& p, const std::string& answer) {
  std::string rest = answer.substr(1);
  std::string code = rest, status;
  if (const std::size_t blank = rest.find(' '); blank != std::string::npos) {
    code = rest.substr(0, blank);
    status = rest.substr(blank + 1);
    auto trim = [](std::string& t) {
      while (!t.empty() && t.front() == ' ') t.erase(0, 1);
      while (!t.empty() && t.back() == ' ') t.pop_back();
    };
    trim(code);
    trim(status);
  }
  int n = 0;
  std::size_t used = 0;
  try {
    n = std::stoi(code, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (code.empty() || used != code.size()) return "Fehlercode " + code + " nicht auswertbar";
  std::string text = n == 24 ? Utf8ToCp1252("Fehler 24: IBAN-Ermittlung nicht möglich")
                             : "Fehler " + code + ": " + p.GetErrorMessage(n);
  if (status.empty()) return text;
  if (status == "NS") return text + " (Dieses Konto nimmt nicht am SEPA-Zahlungsverkehr teil)";
  if (status == "UN")
    return text + Utf8ToCp1252(" (Ein mögliches Unterkonto kann nicht ermittelt werden)");
  if (status[0] == 'I') return text + " (Es ist der interne Fehler " + status + " aufgetreten)";
  return text + " (Es ist der unbekannte Fehler " + status + " aufgetreten)";
}

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
  if (!answer.empty() && answer[0] == '*') return {false, "", "", IbanFailureText(p, answer)};
  const std::size_t tilde = answer.find('~');
  if (tilde == std::string::npos) return {true, answer, "", ""};
  return {true, answer.substr(0, tilde), answer.substr(tilde + 1), ""};
}

int IbanCheck(Context& c, TProxyZelProbeObject& p, const std::string& iban) {
  const int code = p.TestIban(Utf8ToCp1252(iban));
  const std::string text = p.GetErrorMessage(code);
  if (c.json)
    c.out << JsonObject().Typed("iban", iban).Number("code", code).Text("text", text).Str() << "\n";
  else
    c.out << "Ergebnis: " << code << " (" << Cp1252ToUtf8(text) << ")\n";
  return Accepted(code) ? kAccepted : kRejected;
}

void PrintIban(Context& c, const std::string& blz, const std::string& account, const IbanAnswer& r,
               bool batch) {
  if (c.json) {
    JsonObject o;
    o.Typed("blz", blz).Typed("account", account);
    if (r.ok)
      o.Text("iban", r.iban).Text("bic", r.bic);
    else
      o.Text("error", r.error);
    c.out << o.Str() << "\n";
  } else if (batch) {
    c.out << blz << ';' << account << ';' << r.iban << ';' << r.bic;
    if (!r.ok) c.out << ';' << Cp1252ToUtf8(r.error);
    c.out << "\n";
  } else if (r.ok) {
    c.out << "IBAN: " << r.iban << "\nBIC: " << r.bic << "\n";
  } else {
    c.out << Cp1252ToUtf8(r.error) << "\n";
  }
}

int Iban(Context& c) {
  auto p = Probe(c);
  if (!p) return kUsage;
  const Args& a = c.args;
  const bool spaces = a.Has("--spaces");
  if (a.Has("--check")) return a.words.size() == 1 ? IbanCheck(c, *p, a.words[0]) : -1;
  if (IsBatch(c))
    return WithBatchInput(c, [&](std::istream& in) {
      return Batch(c, in, [&](const std::string& blz, const std::string& account) {
        PrintIban(c, blz, account, BuildIban(*p, blz, Utf8ToCp1252(account), spaces), true);
      });
    });
  if (a.words.size() != 2) return -1;
  const IbanAnswer r = BuildIban(*p, a.words[0], Utf8ToCp1252(a.words[1]), spaces);
  PrintIban(c, a.words[0], a.words[1], r, false);
  return r.ok ? kAccepted : kRejected;
}

// ---------------------------------------------------------------------------
// bic, scl, creditor-id

int Bic(Context& c) {
  if (c.args.words.size() != 1) return -1;
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
  auto flag = [](int r) { return r == 0 ? "1" : r == 21 ? "0" : "?"; };
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
                 .Text("SCT", flag(sct))
                 .Text("SDD", flag(sdd))
                 .Text("COR1", flag(cor1))
                 .Text("B2B", flag(b2b))
                 .Str()
          << "\n";
  } else {
    c.out << Cp1252ToUtf8(name) << ", SCT=" << flag(sct) << ", SDD=" << flag(sdd)
          << ", COR1=" << flag(cor1) << ", B2B=" << flag(b2b) << "\n";
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

// ---------------------------------------------------------------------------
// dtaus

// Checks a DTAUS file: the number of wrong account pairs, the error list
// (FILE with ".out"), and the control totals for the "Diskettenbegleitzettel".
int Dtaus(Context& c) {
  const Args& a = c.args;
  if (a.words.size() != 2 || a.words[0] != "check") return -1;
  auto p = zel::TProxyZelDtausObject::Create("ZelDtausObject");
  if (!p) {
    c.err << kNoDataFile << "\n";
    return kUsage;
  }
  // A user's path is never one of the object's special names ("*A").
  const std::string file =
      a.words[1].size() == 2 && a.words[1][0] == '*' ? "./" + a.words[1] : a.words[1];
  const int r = p->CheckFile(file);
  if (r < 0) {
    c.err << (r == -3 ? "Die Datei " + file + " kann nicht gelesen werden: "
                      : Cp1252ToUtf8(p->GetErrorMessage(r)) + " ")
          << Cp1252ToUtf8(p->GetLastError()) << "\n";
    return kUsage;
  }
  std::string totals[4];
  for (int i = 0; i < 4; ++i) {
    p->CheckFile(std::string("*") + static_cast<char>('A' + i));
    totals[i] = p->GetLastError();
  }
  const std::string out = zel::PathWithExtension(file, ".out");
  if (c.json) {
    JsonObject o;
    o.Typed("file", file).Number("errors", r);
    if (r > 0) o.Typed("errorList", out);
    o.Number("records", std::stol(totals[0])).Text("sumAmounts", totals[1]);
    o.Text("sumAccounts", totals[2]).Text("sumBankCodes", totals[3]);
    c.out << o.Str() << "\n";
  } else {
    if (r == 0)
      c.out << "Es wurden keine Fehler in " << file << " festgestellt.\n";
    else
      c.out << "Es wurde" << (r == 1 ? "" : "n") << " " << r << " Fehler in " << file
            << " festgestellt. Die Fehlerliste finden Sie in " << out << "\n";
    c.out << "Daten für Diskettenbegleitzettel:\n"
          << "Anzahl Datensätze C: " << totals[0] << "\n"
          << "Summe der Beträge: " << totals[1] << "\n"
          << "Summe der Kontonummern: " << totals[2] << "\n"
          << "Summe der Bankleitzahlen: " << totals[3] << "\n";
  }
  return r == 0 ? kAccepted : kRejected;
}

// ---------------------------------------------------------------------------
// workdays

// The holiday set the window presets: Epiphany, Ascension, Corpus Christi,
// All Saints, 24 and 31 December.
constexpr int kDefaultHolidays = 1 + 2 + 4 + 64 + 512 + 1024;

bool ToInt(const std::string& text, int& value) {
  std::size_t used = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    return false;
  }
  return used == text.size();
}

int Workdays(Context& c) {
  const Args& a = c.args;
  if (a.words.empty() || a.words.size() > 2) return -1;
  int year = 0, month = 0, holidays = kDefaultHolidays;
  if (!ToInt(a.words[0], year)) return -1;
  if (a.words.size() == 2) {
    const std::string& m = a.words[1];
    if (m.size() == 2 && (m[0] == 'Q' || m[0] == 'q') && m[1] >= '1' && m[1] <= '4')
      month = 40 + (m[1] - '0');
    else if (!ToInt(m, month))
      return -1;
  }
  if (a.Has("--holidays") && !ToInt(a.Get("--holidays"), holidays)) return -1;
  auto p = zel::TProxyZelArbeitObject::Create("ZelArbeitObject");
  if (!p) {
    c.err << kNoDataFile << "\n";
    return kUsage;
  }
  const int n = p->Arbeitstage(year, month, a.Has("--saturday") ? 1 : 0, holidays);
  if (c.json)
    c.out << JsonObject().Number("year", year).Number("period", month).Number("workdays", n).Str()
          << "\n";
  else if (n >= 0)
    c.out << "Ergebnis: " << n << " Arbeitstage.\n";
  else if (year < 1 || year > 9999)
    c.out << "Das Jahr " << year << " liegt außerhalb des Kalenders (1 bis 9999).\n";
  else
    c.out << "Der Zeitraum " << month << " ist unbekannt.\n";
  return n >= 0 ? kAccepted : kRejected;
}

// ---------------------------------------------------------------------------
// bank, search, card, version

// The BIC where the loaded data module offers it.
std::string BicOf(TProxyZelProbeObject& p, const std::string& blz) {
  try {
    return p.GetBic(blz);
  } catch (const zel::EZelError&) {
    return {};
  }
}

int Bank(Context& c) {
  if (c.args.words.size() != 1) return -1;
  auto p = Probe(c);
  if (!p) return kUsage;
  const std::string& blz = c.args.words[0];
  const std::pair<const char*, std::string> lines[] = {
      {"Name58", p->GetBankName58(blz)}, {"Name27", p->GetBankName27(blz)},
      {"Plz", p->GetBankPlz(blz)},       {"Ort", p->GetBankOrt(blz)},
      {"BIC", BicOf(*p, blz)},           {"Status", p->GetBankName20(blz + "+")},
  };
  if (c.json) {
    JsonObject o;
    o.Typed("blz", blz);
    for (const auto& [key, value] : lines) o.Text(key, value);
    c.out << o.Str() << "\n";
  } else {
    for (const auto& [key, value] : lines) c.out << key << '\t' << Cp1252ToUtf8(value) << "\n";
  }
  return lines[5].second.empty() ? kRejected : kAccepted;
}

int Search(Context& c) {
  if (c.args.words.size() > 1) return -1;
  auto p = Probe(c);
  if (!p) return kUsage;
  const std::string text = c.args.words.empty() ? "" : Utf8ToCp1252(c.args.words[0]);
  std::string code =
      text.empty() ? p->GetFirstBank() : p->GetFirstMatch(text, c.args.Has("--fragments"));
  std::string json;
  int count = 0;
  for (; !code.empty(); code = text.empty() ? p->GetNextBank() : p->GetNextMatch(), ++count) {
    const std::string name = p->GetBankName27(code);
    if (c.json)
      json += (json.empty() ? "" : ",") + JsonObject().Text("blz", code).Text("name", name).Str();
    else
      c.out << code << '\t' << Cp1252ToUtf8(name) << "\n";
  }
  if (c.json) c.out << "[" << json << "]\n";
  return count > 0 ? kAccepted : kRejected;
}

int Card(Context& c) {
  if (c.args.words.size() != 1) return -1;
  auto p = Probe(c);
  if (!p) return kUsage;
  const int code = p->TestCC(c.args.words[0]);
  const std::string text = p->GetErrorMessage(code);
  if (c.json)
    c.out << JsonObject()
                 .Typed("number", c.args.words[0])
                 .Number("code", code)
                 .Text("text", text)
                 .Str()
          << "\n";
  else
    c.out << "Ergebnis: " << code << " (" << Cp1252ToUtf8(text) << ")\n";
  return code == 0 ? kAccepted : kRejected;  // 1: a card kind that is not checked
}

int Version(Context& c) {
  if (!c.args.words.empty()) return -1;
  auto p = Probe(c);
  if (!p) return kUsage;
  zel::TZelPackageObject& pkg = *zel::ZelPackage();
  const std::string version = p->GetVersion();
  const std::string extended = p->GetVersionExtended();
  if (c.json) {
    c.out << JsonObject()
                 .Text("version", version)
                 .Text("extended", extended)
                 .Typed("file", pkg.GetCurrentFileName())
                 .Typed("directory", pkg.GetDataDirectory())
                 .Str()
          << "\n";
  } else {
    c.out << Cp1252ToUtf8(version) << "\n"
          << "Datendatei: " << pkg.GetDataDirectory() << pkg.GetCurrentFileName() << "\n"
          << "Versionsdaten: " << Cp1252ToUtf8(extended) << "\n";
  }
  return kAccepted;
}

// ---------------------------------------------------------------------------
// command table and help

struct Command {
  const char* name;
  const char* usage;
  const char* help;
  std::function<int(Context&)> run;
};

const Command kCommands[] = {
    {"check",
     "zel check BLZ KONTO | zel check --method CODE [--blz BLZ] KONTO | zel check - | zel check "
     "--file DATEI",
     "Prüft eine Kontonummer mit der Prüfziffermethode der Bank (oder einer genannten Methode).\n"
     "Mit \"-\" oder --file werden Zeilen \"BLZ KONTO\" (getrennt durch Leerzeichen, Tab, \";\" "
     "oder \",\")\n"
     "gelesen und je Zeile \"BLZ;KONTO;CODE;TEXT\" ausgegeben.",
     Check},
    {"iban",
     "zel iban BLZ KONTO [--spaces] | zel iban --check IBAN | zel iban - | zel iban --file DATEI",
     "Ermittelt IBAN und BIC nach den IBAN-Regeln der Bundesbank (--spaces: in Vierergruppen),\n"
     "oder prüft eine IBAN (--check). Mit \"-\" oder --file werden Zeilen \"BLZ KONTO\" gelesen "
     "und je\n"
     "Zeile \"BLZ;KONTO;IBAN;BIC\" ausgegeben (bei einem Fehler mit dem Fehlertext als fünftem "
     "Feld).",
     Iban},
    {"bic", "zel bic BLZ | zel bic BLZ+ | zel bic PAN-",
     "Zeigt den BIC einer Bank; mit \"+\" hinter der Bankleitzahl die Kartenherausgebernummer "
     "(PAN),\n"
     "mit \"-\" hinter einer PAN die Bankleitzahlen aller Banken mit dieser PAN.",
     Bic},
    {"scl", "zel scl BIC",
     "Fragt das SCL-Directory der Bundesbank: Name der Bank und Erreichbarkeit für\n"
     "SCT, SDD, COR1 und B2B (1 erreichbar, 0 nicht erreichbar).",
     Scl},
    {"creditor-id", "zel creditor-id ID", "Prüft eine Gläubiger-Identifikationsnummer.",
     CreditorId},
    {"workdays", "zel workdays JAHR [MONAT|Q1..Q4] [--saturday] [--holidays MENGE]",
     "Zählt die Bankarbeitstage eines Jahres, Monats (1-12) oder Quartals (Q1-Q4); auch die\n"
     "Codes 0, 1-12, 41-44 und 101-112 (ab heute) gehen. --saturday: Samstage zählen mit.\n"
     "--holidays: Summe der Feiertage (1 Hl. Drei Könige, 2 Himmelfahrt, 4 Fronleichnam,\n"
     "8 8. August, 16 Mariä Himmelfahrt, 32 Reformationstag, 64 Allerheiligen, 128 2. November,\n"
     "256 Buß- und Bettag, 512 Heiligabend, 1024 Silvester); Vorgabe 1607.",
     Workdays},
    {"dtaus", "zel dtaus check DATEI",
     "Prüft eine DTAUS-Datei: Kontoprüfung aller Zahlungen (Fehlerliste in DATEI mit Endung .out)\n"
     "und die Kontrollsummen für den Diskettenbegleitzettel.",
     Dtaus},
    {"bank", "zel bank BLZ", "Zeigt die Daten einer Bank: Name58, Name27, Plz, Ort, BIC, Status.",
     Bank},
    {"search", "zel search [--fragments] [TEXT]",
     "Sucht Banken nach Wörtern ihres Kurznamens (mit \"+\" am Ende auch im vollen Namen);\n"
     "ohne TEXT werden alle Banken gelistet. Ausgabe: BLZ, Tab, Kurzname.",
     Search},
    {"card", "zel card NUMMER", "Prüft eine Kreditkartennummer.", Card},
    {"version", "zel version", "Zeigt die Version der geladenen Datendatei.", Version},
};

void Usage(std::ostream& o) {
  o << "Aufruf: zel [--json] [--data DATEI] BEFEHL ...\n\nBefehle:\n";
  for (const Command& cmd : kCommands) o << "  " << cmd.usage << "\n";
  o << "\nOptionen:\n"
       "  --json         Ausgabe als JSON\n"
       "  --data DATEI   diese Datendatei (.wbd) für diesen Aufruf verwenden\n"
       "  --help         diese Hilfe; zel BEFEHL --help zeigt die Hilfe eines Befehls\n\n"
       "Rückgabewert: 0 angenommen, 1 abgelehnt, 2 falscher Aufruf oder keine Datendatei.\n";
}

bool Parse(const std::vector<std::string>& argv, Args& a, std::string& error) {
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& w = argv[i];
    if (w.size() > 2 && w.rfind("--", 0) == 0) {
      if (TakesValue(w)) {
        if (i + 1 >= argv.size()) {
          error = "Die Option " + w + " braucht einen Wert.";
          return false;
        }
        a.options[w] = argv[++i];
      } else if (IsFlag(w)) {
        a.options[w] = "";
      } else {
        error = "Unbekannte Option: " + w;
        return false;
      }
    } else {
      a.words.push_back(w);
    }
  }
  return true;
}

}  // namespace

int Run(const std::vector<std::string>& argv, std::istream& in, std::ostream& out,
        std::ostream& err) {
  Context c{{}, in, out, err};
  std::string error;
  if (!Parse(argv, c.args, error)) {
    err << error << "\n";
    return kUsage;
  }
  c.json = c.args.Has("--json");
  if (c.args.words.empty()) {
    Usage(c.args.Has("--help") ? out : err);
    return c.args.Has("--help") ? kAccepted : kUsage;
  }
  const std::string name = c.args.words.front();
  c.args.words.erase(c.args.words.begin());
  for (const Command& cmd : kCommands) {
    if (name != cmd.name) continue;
    if (c.args.Has("--help")) {
      out << "Aufruf: " << cmd.usage << "\n\n" << cmd.help << "\n";
      return kAccepted;
    }
    if (!c.args.Has("--data")) {
      // A data file passed over at the start is never passed over silently.
      for (const std::string& notice : zel::ZelPackage()->TakeNotices())
        err << Cp1252ToUtf8(notice) << "\n";
    }
    if (c.args.Has("--data")) {
      zel::ZelPackage()->SetPersistent(false);  // for this run only
      const int rc = zel::ZelPackage()->Activate(c.args.Get("--data"));
      if (rc != 0) {
        err << "Die Datei " << c.args.Get("--data")
            << " kann nicht verwendet werden: " << Cp1252ToUtf8(zel::ZelPackage()->GetLastError())
            << "\n";
        return kUsage;
      }
    }
    try {
      const int rc = cmd.run(c);
      if (!out.flush()) {
        err << "Die Ausgabe kann nicht geschrieben werden.\n";
        return kUsage;
      }
      if (rc >= 0) return rc;
      err << "Aufruf: " << cmd.usage << "\n";
      return kUsage;
    } catch (const std::exception& e) {
      err << Cp1252ToUtf8(e.what()) << "\n";
      return kUsage;
    }
  }
  err << "Unbekannter Befehl: " << name << "\n\n";
  Usage(err);
  return kUsage;
}

}  // namespace zelcli
