// zel dtaus check: a DTAUS file's form, account pairs and control totals.

#include <string>

#include "AtomicFile.h"
#include "CliCommon.h"
#include "Commands.h"

namespace zelcli {
namespace {

using zel::Cp1252ToUtf8;
using zel::TProxyZelProbeObject;
using zel::Utf8ToCp1252;

}  // namespace

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

}  // namespace zelcli
