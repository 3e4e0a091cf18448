// zel dtaus check and write: a DTAUS file's form, account pairs and control
// totals; a DTAUS file from a CSV of payments.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "AtomicFile.h"
#include "CliCommon.h"
#include "Commands.h"
#include "CsvRows.h"
#include "PaymentFile.h"
#include "UniqueFd.h"

namespace zelcli {
namespace {

using zel::Cp1252ToUtf8;
using zel::TProxyZelProbeObject;
using zel::Utf8ToCp1252;

constexpr std::size_t kDtausColumns = 8;  // blz;account;name;purpose;internal;key;key_ext;amount

// The control totals of the file the object checked last: count, sums of
// amounts, accounts and bank codes.
void Totals(zel::TProxyZelDtausObject& p, std::string (&totals)[4]) {
  for (int i = 0; i < 4; ++i) {
    p.CheckFile(std::string("*") + static_cast<char>('A' + i));
    totals[i] = p.GetLastError();
  }
}

void PrintSlip(Context& c, const std::string (&totals)[4]) {
  c.out << "Daten für Diskettenbegleitzettel:\n"
        << "Anzahl Datensätze C: " << totals[0] << "\n"
        << "Summe der Beträge: " << totals[1] << "\n"
        << "Summe der Kontonummern: " << totals[2] << "\n"
        << "Summe der Bankleitzahlen: " << totals[3] << "\n";
}

bool ToCode(const std::string& text, int& v) {
  return text.empty() ? (v = 0, true) : ToInt(text, v);
}

// One CSV row as a payment; false with the reason.
bool WriteDtausRow(zel::TProxyZelDtausObject& p, const std::vector<std::string>& f,
                   std::int64_t& amount, std::string& reason) {
  int key = 0, ext = 0;
  if (f.size() != kDtausColumns) {
    reason = "8 Felder erwartet, " + std::to_string(f.size()) + " gefunden";
    return false;
  }
  if (!ToCode(f[5], key) || !ToCode(f[6], ext)) {
    reason = "Textschlüssel und Ergänzung müssen Zahlen sein";
    return false;
  }
  if (!ParseEuroAmount(f[7], amount)) {
    reason = "Betrag \"" + f[7] + "\" ist kein Betrag wie 1234.56";
    return false;
  }
  const int r = p.WriteFile(f[0], f[1], Utf8ToCp1252(f[2]), Utf8ToCp1252(f[3]), Utf8ToCp1252(f[4]),
                            key, ext, amount);
  if (r == 0) return true;
  reason = Cp1252ToUtf8(p.GetErrorMessage(r)) + " " + Cp1252ToUtf8(p.GetLastError());
  return false;
}

// A file in a currency ("--currency USD-US"; "--euro" is EUR-DE): the
// special own bank code 99935000 and the currency and country behind the
// name, in its first 27 characters, as DTAUS marks such files.
bool CurrencyMode(Context& c, std::string& blz, std::string& name) {
  const Args& a = c.args;
  if (!a.Has("--euro") && !a.Has("--currency")) return true;
  const std::string cur = a.Has("--currency") ? a.Get("--currency") : "EUR-DE";
  const auto letters = [&](std::size_t from, std::size_t n) {
    for (std::size_t i = from; i < from + n; ++i)
      if (i >= cur.size() || !std::isalpha(static_cast<unsigned char>(cur[i]))) return false;
    return true;
  };
  if (cur.size() != 6 || !letters(0, 3) || cur[3] != '-' || !letters(4, 2)) {
    c.err << "--currency braucht Währung und Land wie USD-US.\n";
    return false;
  }
  blz = "99935000";
  name = name.substr(0, 20) + " " + cur;
  return true;
}

// The file is written under a temporary name beside the target and takes
// the target's name only when it is complete and no row was refused.
int Write(Context& c, std::istream& in, zel::TProxyZelDtausObject& p) {
  const Args& a = c.args;
  const std::string out = a.Get("--out");
  // A temporary file of our own beside the target: a new, unguessable name,
  // never a link or someone else's file planted there.
  std::string temp = (std::filesystem::path(out).parent_path() /
                      ("." + std::filesystem::path(out).filename().string() + ".XXXXXX"))
                         .string();
  const zel::TUniqueFd own{::mkostemp(temp.data(), O_CLOEXEC)};
  struct stat mine {};
  if (own.fd < 0 || ::fchmod(own.fd, zel::NewFileMode()) != 0 || ::fstat(own.fd, &mine) != 0) {
    c.err << out << ": die Datei kann nicht angelegt werden: " << std::strerror(errno) << "\n";
    return kUsage;
  }
  const auto same = [&] {
    struct stat now {};
    return ::lstat(temp.c_str(), &now) == 0 && now.st_ino == mine.st_ino &&
           now.st_dev == mine.st_dev;
  };
  int days = 0;
  if (a.Has("--days-ahead") && (!ToInt(a.Get("--days-ahead"), days) || days < 0 || days > 15)) {
    c.err << "--days-ahead braucht eine Zahl von 0 bis 15.\n";
    return kUsage;
  }
  std::string blz = a.Get("--blz"), name = Utf8ToCp1252(a.Get("--name"));
  if (!CurrencyMode(c, blz, name)) return kUsage;
  const int created =
      p.CreateFile(temp, blz, a.Get("--account"), name, a.Get("--reference"),
                   a.Get("--type") == "LK" ? 2 : 1, a.Has("--no-check") ? 0 : 1, days);
  if (!same()) {
    if (created == 0 || created == 405) p.CloseFile();
    c.err << out << ": die temporäre Datei wurde ausgetauscht; es wird nichts geschrieben.\n";
    return kUsage;
  }
  if (created == 405)  // the header failed: said, and the payments are still tried
    c.err << Cp1252ToUtf8(p.GetErrorMessage(created)) << " " << Cp1252ToUtf8(p.GetLastError())
          << "\n";
  if (created != 0 && created != 405) {
    c.err << "Auftraggeber: " << Cp1252ToUtf8(p.GetErrorMessage(created)) << " "
          << Cp1252ToUtf8(p.GetLastError()) << "\n";
    std::remove(temp.c_str());
    return kRejected;
  }
  const PaymentKind kind{"Zahlung",
                         "Zahlungen",
                         [&](const std::vector<std::string>& f, std::int64_t& amount,
                             std::string& why) { return WriteDtausRow(p, f, amount, why); },
                         [&](const std::string&) { return p.CloseFile(); },
                         {},
                         {}};
  const Outcome o = WriteRows(in, kind);
  const bool write = o.count > 0 && (o.refused.empty() || a.Has("--skip-bad"));
  const int closed = kind.close(out);
  if (!write || closed != 0 || !same() || std::rename(temp.c_str(), out.c_str()) != 0) {
    std::remove(temp.c_str());
    if (closed != 0) c.err << out << ": " << Cp1252ToUtf8(p.GetErrorMessage(closed)) << "\n";
    Report(c, kind, o, "", "", false, "");
    return closed != 0 ? kUsage : kRejected;
  }
  std::string totals[4];
  p.CheckFile(out);
  Totals(p, totals);
  Report(c, kind, o, "", "", true, "");
  if (!c.json) PrintSlip(c, totals);
  return kAccepted;
}

}  // namespace

// Checks a DTAUS file: the number of wrong account pairs, the error list
// (FILE with ".out"), and the control totals for the "Diskettenbegleitzettel".
int Dtaus(Context& c) {
  const Args& a = c.args;
  if (a.words.size() != 2 || (a.words[0] != "check" && a.words[0] != "write")) return -1;
  auto p = zel::TProxyZelDtausObject::Create("ZelDtausObject");
  if (!p) {
    c.err << kNoDataFile << "\n";
    return kUsage;
  }
  if (a.words[0] == "write") {
    const bool currency = a.Has("--euro") || a.Has("--currency");
    for (const char* o : {"--out", "--blz", "--account", "--name"})
      if (a.Get(o).empty() && !(currency && std::string(o) == "--blz")) {
        c.err << "Die Option " << o << " fehlt.\n";
        return kUsage;
      }
    std::string reason;
    if (!zel::IsSafeOutputTarget(a.Get("--out"), a.words[1] == "-" ? "" : a.words[1], reason)) {
      c.err << a.Get("--out") << ": " << Cp1252ToUtf8(reason) << "\n";
      return kUsage;
    }
    return WithPaymentInput(c, a.words[1], [&](std::istream& in) { return Write(c, in, *p); });
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
  Totals(*p, totals);
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
    PrintSlip(c, totals);
  }
  return r == 0 ? kAccepted : kRejected;
}

}  // namespace zelcli
