// Status codes of the account and IBAN checks. 0..10: accepted; above 10:
// rejected; negative: a problem with the bank code or a service.
#pragma once

#include <string>

namespace zel::ErrorCodes {

inline constexpr int kDataFileMissing = -999;
inline constexpr int kServerNoData = -300;
inline constexpr int kServerUnreachable = -200;
inline constexpr int kBankGoneSuccessor = -3;
inline constexpr int kBankGone = -2;
inline constexpr int kBankUnknown = -1;
inline constexpr int kOk = 0;
inline constexpr int kUnknownMethod = 1;
inline constexpr int kNotImplemented = 2;
inline constexpr int kNoCheckDigits = 3;
inline constexpr int kNotCheckable = 4;
inline constexpr int kTooLong = 11;
inline constexpr int kNotDigits = 12;
inline constexpr int kInvalid = 13;
inline constexpr int kZero = 14;
inline constexpr int kWrongAccountType = 15;
inline constexpr int kNeedEightDigits = 16;
inline constexpr int kNeedNineDigits = 17;
inline constexpr int kNeedSevenDigits = 18;
inline constexpr int kNeedEightOrTenDigits = 19;
inline constexpr int kNeedTenDigits = 20;
inline constexpr int kNeedSevenOrEightDigits = 21;
inline constexpr int kIbanCheckDigits = 22;
inline constexpr int kBlacklist = 23;
inline constexpr int kIbanImpossible = 24;

}  // namespace zel::ErrorCodes

namespace zel {

// The German text of a status code (code page 1252). Codes of 100 and above
// carry a note that the bank code will soon be deleted: 1xx without a
// successor, 2xx with one; the rest names the base code.
std::string GetErrorMessage(int Code);

}  // namespace zel
