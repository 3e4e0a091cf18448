// Texts the window shows, shared by zelvaro and zel (code page 1252).
#pragma once

#include <string>

#include "Proxies.h"

namespace zel {

// The message of a failed IBAN construction: the answer "*" + code, and a
// status after a blank ("*24 NS").
ZELBASE_API std::string IbanFailureText(TProxyZelProbeObject& p, const std::string& answer);
// An SCL directory answer as one character: 0 "1", 21 "0", else "?".
ZELBASE_API const char* SclFlag(int answer);

}  // namespace zel
