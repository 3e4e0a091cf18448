// zel data: the data files (list, activate, unpack), their signing keys
// (keygen, sign) and the update server (check-update, download), with the
// window's texts.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "CivilDate.h"
#include "CliCommon.h"
#include "Commands.h"
#include "DataModule.h"
#include "Signature.h"
#include "WindowTexts.h"
#include "ZelPackage.h"

namespace zelcli {
namespace {

namespace fs = std::filesystem;
using zel::Cp1252ToUtf8;
using zel::Utf8ToCp1252;

// "DD.MM.YYYY" of a day number.
std::string Day(long day) {
  const auto c = zel::civil::CivilFromDays(day - zel::civil::kEpochShift);
  char text[16];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", c.day, c.month, c.year);
  return text;
}

int List(Context& c) {
  auto* pkg = zel::ZelPackage();
  const std::string dir = pkg->GetDataDirectory(), active = pkg->GetCurrentFileName();
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec))
    if (zel::IsDataFileName(e.path().filename().string()))
      names.push_back(e.path().filename().string());
  std::sort(names.rbegin(), names.rend());
  std::string json;
  if (!c.json) c.out << "Verzeichnis: " << Cp1252ToUtf8(dir) << "\n";
  for (const std::string& n : names) {
    const int year = std::stoi(n.substr(11, 4)), quarter = n[16] - '0';
    const std::string from = Day(zel::civil::FirstValidDay(year, quarter));
    const std::string to = Day(zel::civil::LastValidDay(year, quarter));
    const bool on = n == active && pkg->GetCurrentFilePath() == dir + n;
    if (c.json)
      json += (json.empty() ? "" : ",") + JsonObject()
                                              .Typed("file", n)
                                              .Typed("from", from)
                                              .Typed("to", to)
                                              .Raw("active", on ? "true" : "false")
                                              .Str();
    else
      c.out << (on ? "* " : "  ") << n << "  gültig vom " << from << " bis " << to << "\n";
  }
  if (c.json) c.out << "[" << json << "]\n";
  return kAccepted;
}

// A file given with a directory makes that the data directory; the name.
std::string InDataDirectory(const std::string& file) {
  const fs::path p(file);
  if (p.has_parent_path())
    zel::ZelPackage()->SetDataDirectory(fs::absolute(p.parent_path()).string());
  return p.filename().string();
}

int Report(Context& c, const std::string& text, bool ok) {
  if (c.json)
    c.out << JsonObject().Raw("ok", ok ? "true" : "false").Typed("text", text).Str() << "\n";
  else
    (ok ? c.out : c.err) << text << "\n";
  return ok ? kAccepted : kRejected;
}

}  // namespace

int Data(Context& c) {
  const Args& a = c.args;
  const std::string verb = a.words.empty() ? "" : a.words[0];
  auto* pkg = zel::ZelPackage();
  if (verb == "list" && a.words.size() == 1) return List(c);
  if ((verb == "activate" || verb == "unpack") && a.words.size() == 2) {
    const std::string name = InDataDirectory(a.words[1]);
    if (verb == "unpack") {
      const int r = pkg->Unpack(Utf8ToCp1252(name));
      return Report(c, zel::UnpackText(r, name), r == 0);
    }
    const std::string before = pkg->GetDataDirectory();
    const int r = pkg->Activate(Utf8ToCp1252(name));
    if (r != 0 && pkg->GetDataDirectory() != before) pkg->SetDataDirectory(before);  // as it was
    return Report(c,
                  zel::ActivationText(r, name, Cp1252ToUtf8(pkg->GetCurrentFileName()),
                                      Cp1252ToUtf8(pkg->GetLastError())),
                  r == 0);
  }
  if (verb == "keygen" && a.words.size() == 2) {
    std::string reason;
    if (!zel::WriteKeyPair(a.words[1], reason)) return Report(c, reason, false);
    return Report(c,
                  "Schlüsselpaar angelegt: " + a.words[1] + " (geheim, nur für Sie lesbar) und " +
                      a.words[1] + ".pub (öffentlich; in trusted-keys legen, wer der Datei traut)",
                  true);
  }
  if (verb == "sign" && a.words.size() == 2 && a.Has("--key")) {
    std::string reason;
    if (!zel::SignDataFile(a.words[1], a.Get("--key"), reason)) return Report(c, reason, false);
    return Report(c, a.words[1] + ": signiert (" + zel::SignatureFileOf(a.words[1]) + ")", true);
  }
  if ((verb == "check-update" || verb == "download") && a.words.size() == 1) {
    const std::string user =
        a.Has("--user") ? a.Get("--user") : zel::ZelSetting("ZELVARO_UPDATE_USER", "UpdateUser");
    const std::string password = a.Has("--password")
                                     ? a.Get("--password")
                                     : zel::ZelSetting("ZELVARO_UPDATE_PASSWORD", "UpdatePassword");
    const bool download = verb == "download";
    pkg->UpdateAllowInsecureHttp(a.Has("--insecure-http"));
    const std::string answer = Cp1252ToUtf8(
        download ? pkg->UpdateServerDownload(Utf8ToCp1252(user), Utf8ToCp1252(password))
                 : pkg->UpdateServerCheck(Utf8ToCp1252(user), Utf8ToCp1252(password)));
    return Report(c, zel::UpdateServerText(answer, download), !answer.empty() && answer[0] == '+');
  }
  return -1;
}

}  // namespace zelcli
