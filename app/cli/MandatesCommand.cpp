// zel mandates: the mandate history of direct debits (list, merge,
// delete-temp, export, import).

#include <sstream>
#include <string>

#include "CliCommon.h"
#include "Commands.h"

namespace zelcli {

int Mandates(Context& c) {
  const Args& a = c.args;
  const std::string verb = a.words.empty() ? "" : a.words[0];
  const bool withFile = verb == "export" || verb == "import";
  if (a.words.size() != (withFile ? 2u : 1u) ||
      (!withFile && verb != "list" && verb != "merge" && verb != "delete-temp"))
    return -1;
  int mandant = 1;
  if (a.Has("--mandant") && !ToInt(a.Get("--mandant"), mandant)) return -1;
  auto p = zel::TProxyZelSepaObject::Create("ZelSepaObject");
  if (!p) {
    c.err << kNoDataFile << "\n";
    return kUsage;
  }
  if (a.Has("--db-dir") && p->SetDbDirectory(a.Get("--db-dir")) != 0) {
    c.err << zel::Cp1252ToUtf8(p->GetLastError()) << "\n";
    return kUsage;
  }
  if (verb == "list") {
    std::istringstream entries(p->GetTempList());
    std::string entry, list;
    for (; entries >> entry;) {
      const std::string number = entry.substr(0, entry.find(':'));
      const std::string count = entry.substr(entry.find(':') + 1);
      if (c.json)
        list += (list.empty() ? "" : ",") +
                JsonObject().Typed("mandant", number).Raw("pending", count).Str();
      else
        c.out << "Mandant " << number << ": " << count << " vorgemerkte Lastschriften\n";
    }
    if (c.json) c.out << "[" << list << "]\n";
    return kAccepted;
  }
  int r = 0;
  if (verb == "merge") r = p->MergeTemp(mandant);
  if (verb == "delete-temp") r = p->DeleteTemp(mandant);
  if (verb == "export") r = p->ExportToFile(mandant, a.words[1]);
  if (verb == "import") r = p->ImportFromFile(mandant, a.words[1]);
  if (r != 0) {
    c.err << zel::Cp1252ToUtf8(p->GetErrorMessage(r)) << ": "
          << zel::Cp1252ToUtf8(p->GetLastError()) << "\n";
    return kUsage;
  }
  if (c.json)
    c.out << JsonObject().Typed("done", verb).Number("mandant", mandant).Str() << "\n";
  else
    c.out << "Mandant " << mandant << ": "
          << (verb == "merge"         ? "Lastschriften in die Mandantenhistorie übernommen"
              : verb == "delete-temp" ? "vorgemerkte Lastschriften gelöscht"
              : verb == "export"      ? "Mandantenhistorie nach " + a.words[1] + " exportiert"
                                      : "Mandantenhistorie aus " + a.words[1] + " importiert")
          << "\n";
  return kAccepted;
}

}  // namespace zelcli
