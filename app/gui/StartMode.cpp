#include "StartMode.h"

namespace zelgui {
namespace {

bool HasSwitch(const QStringList& arguments, const char* word) {
  for (const QString& a : arguments)
    if (a.size() > 1 && (a[0] == '-' || a[0] == '/') &&
        a.mid(1).compare(word, Qt::CaseInsensitive) == 0)
      return true;
  return false;
}

}  // namespace

TStartMode ParseStartMode(const QStringList& arguments) {
  if (HasSwitch(arguments, "AUTOMATION") || HasSwitch(arguments, "EMBEDDING"))
    return TStartMode::Automation;
  if (HasSwitch(arguments, "REGSERVER")) return TStartMode::RegServer;
  if (HasSwitch(arguments, "UNREGSERVER")) return TStartMode::UnregServer;
  return TStartMode::Standalone;
}

}  // namespace zelgui
