// Texts the window shows, shared by zelvaro and zel.
#pragma once

#include <string>

#include "Proxies.h"

namespace zel {

// The message of a failed IBAN construction: the answer "*" + code, and a
// status after a blank ("*24 NS").
ZELBASE_API std::string IbanFailureText(TProxyZelProbeObject& p, const std::string& answer);
// An SCL directory answer as one character: 0 "1", 21 "0", else "?".
ZELBASE_API const char* SclFlag(int answer);

// The product's web address.
inline constexpr const char* kProductUrl = "https://www.zelvaro.de";

// The answers of the data file management, UTF-8 in and out: activation of
// a file (current: the file active afterwards, reason: the package's last
// error), unpacking, and the update server's answer ("+name" / "-reason").
ZELBASE_API std::string ActivationText(int code, const std::string& file,
                                       const std::string& current, const std::string& reason);
ZELBASE_API std::string UnpackText(int code, const std::string& name);
ZELBASE_API std::string UpdateServerText(const std::string& answer, bool download);

}  // namespace zel
