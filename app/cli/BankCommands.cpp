// zel bank, search, card and version: bank data and the loaded data file.

#include <string>

#include "CliCommon.h"
#include "Commands.h"
#include "ZelPackage.h"

namespace zelcli {
namespace {

using zel::Cp1252ToUtf8;
using zel::TProxyZelProbeObject;
using zel::Utf8ToCp1252;

// The BIC where the loaded data module offers it.
std::string BicOf(TProxyZelProbeObject& p, const std::string& blz) {
  try {
    return p.GetBic(blz);
  } catch (const zel::EZelError&) {
    return {};
  }
}

}  // namespace

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
  if (text.size() > 1000) {  // no bank name is that long; the object refuses it too
    c.err << "Der Suchtext ist länger als 1000 Zeichen\n";
    return kUsage;
  }
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
    JsonObject o;
    o.Text("version", version).Text("extended", extended);
    o.Typed("file", pkg.GetCurrentFileName()).Typed("directory", pkg.GetDataDirectory());
    o.Typed("valid_from", Validity().from).Typed("valid_to", Validity().to);
    o.Typed("scl_valid_from", p->GetSclValidFrom());
    if (!Validity().stale) o.Raw("data_valid", "true");  // Str() adds false
    c.out << o.Str() << "\n";
  } else {
    c.out << Cp1252ToUtf8(version) << "\n"
          << "Datendatei: " << pkg.GetCurrentFilePath() << "\n"
          << "Versionsdaten: " << Cp1252ToUtf8(extended) << "\n"
          << "Gültig: vom " << Validity().from << " bis " << Validity().to
          << (Validity().stale ? " (heute nicht gültig)" : " (heute gültig)") << "\n";
    if (const std::string scl = p->GetSclValidFrom(); !scl.empty())
      c.out << "SCL-Directory gültig ab: " << scl << "\n";
  }
  return kAccepted;
}

}  // namespace zelcli
