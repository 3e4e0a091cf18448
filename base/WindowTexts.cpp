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

std::string ActivationText(int code, const std::string& file, const std::string& current,
                           const std::string& reason) {
  const std::string why = " Grund: " + reason;
  switch (code) {
    case 0: return "Die Datei " + file + " wurde aktiviert.";
    case 3:
      return "Die Datei " + file + " konnte nicht geladen werden. Die alte Datei " + current +
             " wird weiterverwendet." + why;
    case 13:
      return "Die Datei " + file + " ist keine gültige Datendatei. Die alte Datei " + current +
             " wird weiterverwendet." + why;
    case 14:
      return "Die Datei " + file +
             " ist keine gültige Datendatei, und die vorherige Datendatei konnte nicht wieder "
             "geladen werden. Es ist jetzt KEINE Datendatei geladen!" +
             why;
    default:
      return "Die Datei " + file +
             " konnte nicht geladen werden, und zwar wegen dem unbekannten "
             "Fehler Nr. " +
             std::to_string(code) + "." + why;
  }
}

std::string UnpackText(int code, const std::string& name) {
  switch (code) {
    case 0: return "Die Datei " + name + " wurde ordnungsgemäß entpackt.";
    case 3: return "Die Datei " + name + " konnte nicht geöffnet werden.";
    case 5: return "Die Datei " + name + " ist bereits als entpackte Version vorhanden.";
    case 13:
      return "Die Datei " + name +
             " kann nicht entpackt werden, da sie fehlerhaft ist. Bitte "
             "laden Sie eine korrekte Version vom Update-Server herunter.";
    default:
      return "Die Datei " + name + " kann nicht entpackt werden, weil der unbekannte Fehler Nr. " +
             std::to_string(code) + " aufgetreten ist.";
  }
}

std::string UpdateServerText(const std::string& answer, bool download) {
  const std::string a = answer.empty() ? " " : answer, rest = a.substr(1);
  if (a[0] == '+')
    return download ? "Gepackte Datei " + rest + " heruntergeladen."
                    : "Auf dem Server liegt momentan die Datei " + rest + " vor.";
  if (a[0] == '-')
    return "Momentan ist kein Download möglich, aus folgendem Grund: " + rest +
           " (Bitte versuchen Sie ggf. einen manuellen Download auf " + kProductUrl +
           ", um nähere Erläuterungen zu diesem Fehler zu erfahren.)";
  return std::string(
             "Der Server antwortet nicht richtig. Bitte versuchen Sie einen manuellen "
             "Download auf ") +
         kProductUrl + ", um nähere Erläuterungen zu erhalten.)";
}

const char* SclFlag(int answer) { return answer == 0 ? "1" : answer == 21 ? "0" : "?"; }

}  // namespace zel
