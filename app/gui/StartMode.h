// How the program was started: its switches ("-embedding", "/REGSERVER",
// any case), decided in a fixed order.
#pragma once

#include <QStringList>

namespace zelgui {

enum class TStartMode { Standalone, Automation, RegServer, UnregServer };

// Automation ("AUTOMATION" or "EMBEDDING") wins over "REGSERVER", which
// wins over "UNREGSERVER"; without a switch the window is shown.
TStartMode ParseStartMode(const QStringList& arguments);

}  // namespace zelgui
