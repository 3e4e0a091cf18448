#include "ZelCli.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

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
  return o == "--method" || o == "--blz" || o == "--file" || o == "--data";
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

// ---------------------------------------------------------------------------
// check

// The single check's answer: code, text and, for -3 and 200 and above, the
// successor bank code.
struct CheckResult {
  int code;
  std::string text;
  std::string successor;
};

CheckResult CheckOne(TProxyZelProbeObject& p, const std::string& blz, const std::string& kto) {
  CheckResult r;
  r.code = p.TestBlzKto(blz + "+", kto);
  r.text = p.GetErrorMessage(r.code);
  if (r.code == -3 || r.code >= 200) r.successor = p.GetBankName20(blz + "+").substr(7, 8);
  return r;
}

void PrintCheck(Context& c, const std::string& blz, const std::string& kto, const CheckResult& r) {
  if (c.json) {
    JsonObject o;
    o.Text("blz", blz).Text("account", kto).Number("code", r.code).Text("text", r.text);
    if (!r.successor.empty()) o.Text("successor", r.successor);
    c.out << o.Str() << "\n";
    return;
  }
  c.out << "Ergebnis: " << r.code << "\nErgebnistext: " << Cp1252ToUtf8(r.text) << "\n";
  if (!r.successor.empty()) c.out << "Nachfolge-BLZ: " << r.successor << "\n";
}

// Splits a batch line at blanks, tabs, ";" and ",".
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> f;
  std::string cur;
  for (char ch : line + " ") {
    if (ch == ' ' || ch == '\t' || ch == ';' || ch == ',' || ch == '\r') {
      if (!cur.empty()) f.push_back(cur);
      cur.clear();
    } else {
      cur += ch;
    }
  }
  return f;
}

int CheckBatch(Context& c, TProxyZelProbeObject& p, std::istream& in) {
  std::string line;
  long lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    const std::vector<std::string> f = Fields(line);
    if (f.empty()) continue;
    if (f.size() != 2) {
      const std::string why =
          "Zeile " + std::to_string(lineNo) + ": erwartet werden Bankleitzahl und Kontonummer";
      if (c.json)
        c.out << JsonObject().Number("line", lineNo).Text("error", why).Str() << "\n";
      else
        c.out << ";;;" << why << "\n";
      continue;
    }
    const std::string kto = Utf8ToCp1252(f[1]);
    const int code = p.TestBlzKto(f[0] + "+", kto);
    const std::string text = Cp1252ToUtf8(p.GetErrorMessage(code));
    if (c.json)
      c.out << JsonObject()
                   .Text("blz", f[0])
                   .Text("account", kto)
                   .Number("code", code)
                   .Raw("text", JsonString(text))
                   .Str()
            << "\n";
    else
      c.out << f[0] << ';' << f[1] << ';' << code << ';' << text << "\n";
  }
  c.out.flush();
  return kAccepted;
}

int Check(Context& c) {
  auto p = Probe(c);
  if (!p) return kUsage;
  const Args& a = c.args;
  if (a.Has("--file") || (a.words.size() == 1 && a.words[0] == "-")) {
    if (!a.Has("--file")) return CheckBatch(c, *p, c.in);
    std::ifstream f(a.Get("--file"));
    if (!f) {
      c.err << "Die Datei " << a.Get("--file") << " kann nicht gelesen werden.\n";
      return kUsage;
    }
    return CheckBatch(c, *p, f);
  }
  if (a.Has("--method")) {
    if (a.words.size() != 1) return -1;
    const std::string kto = Utf8ToCp1252(a.words[0]);
    const std::string code = a.Get("--method");
    CheckResult r;
    r.code = p->TestBlzKto("#" + code + a.Get("--blz"), kto);
    r.text = p->GetErrorMessage(r.code);
    PrintCheck(c, a.Get("--blz"), kto, r);
    return Accepted(r.code) ? kAccepted : kRejected;
  }
  if (a.words.size() != 2) return -1;
  const std::string kto = Utf8ToCp1252(a.words[1]);
  const CheckResult r = CheckOne(*p, a.words[0], kto);
  PrintCheck(c, a.words[0], kto, r);
  return Accepted(r.code) ? kAccepted : kRejected;
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
    o.Text("blz", blz);
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
                 .Text("number", c.args.words[0])
                 .Number("code", code)
                 .Text("text", text)
                 .Str()
          << "\n";
  else
    c.out << "Ergebnis: " << code << " (" << Cp1252ToUtf8(text) << ")\n";
  return Accepted(code) ? kAccepted : kRejected;
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
                 .Text("file", pkg.GetCurrentFileName())
                 .Text("directory", pkg.GetDataDirectory())
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
      } else {
        a.options[w] = "";
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
