#include "WindowTexts.h"

#include <stdexcept>

#include "Cp1252.h"

namespace zel {

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

const char* SclFlag(int answer) { return answer == 0 ? "1" : answer == 21 ? "0" : "?"; }

}  // namespace zel
