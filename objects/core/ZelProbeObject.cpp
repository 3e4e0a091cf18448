#include "ZelProbeObject.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "BankUtil.h"
#include "BlzTab.h"
#include "CheckMethods.h"
#include "CivilDate.h"
#include "Context.h"
#include "Cp1252.h"
#include "Dates.h"
#include "ErrorCodes.h"
#include "IbanRules.h"
#include "MiniUtils.h"
#include "Resource.h"
#include "ZelRegistration.h"

namespace zel {

using namespace check;

int TestByRule(std::string_view Blz, std::string_view Account, int Rule) {
  const BankDigits b = MakeBankDigits(Blz);
  Acc k;
  if (const int status = MakeAccount(Account, k); status != kOk) return status;
  if (Rule == 9) return kNoCheckDigits;
  const MethodFn method = MethodOf(Rule);
  return method ? method(b, k) : kUnknownMethod;
}

namespace {

// The bank's method number, or -1 for an unknown bank code.
int RuleOfBank(std::string_view Blz) {
  const int index = GetBankIndexByString(Blz);
  return index < 1 ? -1 : RuleAt(index);
}

using CoreFn = int (*)(const Acc&);

CoreFn SinglePassCore(int rule) {
  switch (rule) {
    case 13: return Core13;
    case 63: return Core63;
    case 76: return Core76;
    default: return nullptr;
  }
}

}  // namespace

std::string CorrectSub(std::string_view Blz, std::string_view Account) {
  const CoreFn core = SinglePassCore(RuleOfBank(Blz));
  if (!core || Account.size() < 2 || Account[0] != '0' || Account[1] != '0')
    return std::string(Account);
  const std::string shifted = std::string(Account.substr(2, 8)) + "00";
  Acc a, s;
  if (MakeAccount(Account, a) != kOk) return "*24 I5";
  if (MakeAccount(shifted, s) != kOk) return "*24 I6";
  const bool accountValid = core(a) == kOk;
  const bool shiftedValid = core(s) == kOk;
  if (shiftedValid) return shifted;
  if (accountValid) return std::string(Account);
  return "*" + std::to_string(kInvalid);
}

// ---------------------------------------------------------------------------
// TZelProbeObject

namespace {

const TZelRegistrar<TZelProbeObject> kRegistration(TZelProbeObject::kClassName);

// The bank record of a code; false for an unknown code.
bool FindBank(std::string_view blz, TBankRecord& bank) {
  const int index = GetBankIndexByString(blz);
  if (index < 1) return false;
  GetBankByIndex(index, bank);
  return true;
}

// A code with a trailing "+" counts as unknown for the name getters.
template <typename F>
std::string BankText(const std::string& blz, F field) {
  TBankRecord bank;
  if (!FindBank(blz, bank)) return {};
  return field(bank);
}

std::string Format(const char* format, unsigned value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

// Upper case in code page 1252: a-z, the accented letters and the few
// letters of 0x80..0x9F that have a capital.
char Upper(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 32);
  switch (b) {
    case 0x9A: return static_cast<char>(0x8A);  // š
    case 0x9C: return static_cast<char>(0x8C);  // œ
    case 0x9E: return static_cast<char>(0x8E);  // ž
    case 0xFF: return static_cast<char>(0x9F);  // ÿ
    default: return c;
  }
}

std::string UpperTrimmed(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  std::string out(s);
  for (char& c : out) c = Upper(c);
  return out;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : UpperTrimmed(text) + " ") {
    if (c != ' ') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

// The version of the embedded bank data: "valid-from;released;revision",
// dates as yyyy-mm-dd.
struct DataVersion {
  int year = 0, quarter = 0, revision = 0;
  TCivilDate released{0, 0, 0};
};

DataVersion ReadDataVersion() {
  const auto res = FindResource("VERSIONDATA");
  const std::string text(reinterpret_cast<const char*>(res.data()), res.size());
  DataVersion v;
  int validMonth = 0, validDay = 0;
  std::sscanf(text.c_str(), "%d-%d-%d;%d-%d-%d;%d", &v.year, &validMonth, &validDay,
              &v.released.year, &v.released.month, &v.released.day, &v.revision);
  v.quarter = validMonth / 3;
  return v;
}

const DataVersion& TheDataVersion() {
  static const DataVersion v = ReadDataVersion();
  return v;
}

std::string ShortDate(TCivilDate c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%02d", c.day, c.month, c.year % 100);
  return buf;
}

}  // namespace

void TZelProbeObject::Freeze(TByteStream& Stream) {
  TContext c(Stream);
  c.WriteBegin();
  c.Write("CurrentBankNumber", CurrentBankNumber);
  c.Write("CurrentMatchNumber", CurrentMatchNumber);
  std::string list;
  for (const std::string& m : MatchList) list += m + "\r\n";
  c.Write("MatchListOut", list);
  c.WriteEnd();
}

std::unique_ptr<TZelBaseObject> TZelProbeObject::Thaw(TByteStream& Stream) {
  auto o = std::make_unique<TZelProbeObject>();
  TContext c(Stream);
  c.ReadAll();
  std::int32_t n = 0;
  o->CurrentBankNumber = ParseInteger(c.GetItem("CurrentBankNumber"), n) ? n : 0;
  o->CurrentMatchNumber = ParseInteger(c.GetItem("CurrentMatchNumber"), n) ? n : 0;
  const std::string list = c.GetItem("MatchListOut");
  for (std::size_t pos = 0; pos < list.size();) {
    const std::size_t end = list.find("\r\n", pos);
    o->MatchList.push_back(list.substr(pos, end - pos));
    if (end == std::string::npos) break;
    pos = end + 2;
  }
  // A stream is input like any other: the cursors stay inside their lists.
  o->CurrentBankNumber = std::clamp(o->CurrentBankNumber, 0, GetBankAnzahl());
  o->CurrentMatchNumber =
      std::clamp(o->CurrentMatchNumber, -1, static_cast<std::int32_t>(o->MatchList.size()) - 1);
  return o;
}

std::string TZelProbeObject::GetErrorMessage(std::int32_t Code) {
  return zel::GetErrorMessage(Code);
}

std::int32_t TZelProbeObject::GetRule(const std::string& Blz) { return RuleOfBank(Blz); }

std::string TZelProbeObject::GetVersion() {
  const DataVersion& v = TheDataVersion();
  return "Version vom " + ShortDate(v.released) + " (BLZ-Stand: " +
         ShortDate(DecodeDate(static_cast<TDateTime>(civil::FirstValidDay(v.year, v.quarter)))) +
         ") Rev " + std::to_string(v.revision);
}

TZelVersionRecord TZelProbeObject::GetVersionRecord() {
  const DataVersion& v = TheDataVersion();
  TZelVersionRecord r;
  std::memset(&r, 0, sizeof r);
  r.Tag.Assign("BrenkKey");
  r.PackageName.Assign("ZelObjects");
  r.Description.Assign(GetVersion());
  r.Year = v.year;
  r.Quarter = v.quarter;
  r.Revision = v.revision;
  r.ValidFrom = static_cast<TDateTime>(civil::FirstValidDay(v.year, v.quarter));
  r.ValidTo = static_cast<TDateTime>(civil::LastValidDay(v.year, v.quarter));
  r.Flags[0] = 1;
  return r;
}

std::int32_t TZelProbeObject::TestBlzKto(const std::string& Blz, const std::string& Kto) {
  const bool extended = !Blz.empty() && Blz.back() == '+';
  const std::string_view code = extended ? std::string_view(Blz).substr(0, Blz.size() - 1) : Blz;
  const int index = GetBankIndexByString(code);
  if (index < 1) return kBankUnknown;
  const TBankState bank = BankStateAt(index);
  if (bank.ChangeFlag == 'D') {
    if (!extended) return kBankUnknown;
    return bank.SuccessorBlz != 0 ? kBankGoneSuccessor : kBankGone;
  }
  const int status = TestByRule(code, Kto, bank.Rule);
  if (extended && bank.DeletionFlag == 1) return status + (bank.SuccessorBlz != 0 ? 200 : 100);
  return status;
}

// A method without a bank: the bank code, when given, only feeds the methods
// that depend on it, so it must be eight digits.
std::int32_t TZelProbeObject::TestByMethod(const std::string& Method, const std::string& Blz,
                                           const std::string& Kto) {
  const int rule = Method.size() == 2 ? MethodNumber(Method) : -1;
  if (rule < 0) return kUnknownMethod;
  if (Blz.empty()) return TestByRule("00000000", Kto, rule);
  const bool eightDigits = Blz.size() == 8 && std::all_of(Blz.begin(), Blz.end(), [](char c) {
                             return c >= '0' && c <= '9';
                           });
  return eightDigits ? TestByRule(Blz, Kto, rule) : kBankUnknown;
}

std::int32_t TZelProbeObject::TestCC(const std::string& CCNumber) {
  if (CCNumber.empty()) return kNotDigits;
  for (char c : CCNumber)
    if (c < '0' || c > '9') return kNotDigits;
  const std::size_t n = CCNumber.size();
  auto starts = [&](const char* from, const char* to) {
    const std::size_t len = std::strlen(from);
    const std::string head = CCNumber.substr(0, len);
    return head >= from && head <= to;
  };
  bool checked;
  if (n == 16 && starts("51", "55"))
    checked = true;
  else if ((n == 13 || n == 16) && starts("4", "4"))
    checked = true;
  else if (n == 15 && (starts("34", "34") || starts("37", "37")))
    checked = true;
  else if (n == 14 && (starts("300", "305") || starts("36", "36") || starts("38", "38")))
    checked = true;
  else if (n == 16 && starts("6011", "6011"))
    checked = true;
  else if (n == 15 && (starts("2014", "2014") || starts("2149", "2149")))
    checked = false;
  else if (n == 16 && starts("3", "3"))
    checked = true;
  else if (n == 15 && (starts("2131", "2131") || starts("1800", "1800")))
    checked = true;
  else
    checked = false;
  if (!checked) return kUnknownMethod;
  int sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    int d = CCNumber[n - 1 - i] - '0';
    if (i % 2 == 1 && (d *= 2) >= 10) d -= 9;
    sum += d;
  }
  return sum % 10 == 0 ? kOk : kInvalid;
}

std::int32_t TZelProbeObject::TestIban(const std::string& Iban) {
  LastError.clear();
  return BankUtil::TestIban(Iban, &LastError);
}

std::string TZelProbeObject::GetSclValidFrom() {
  const auto res = FindResource("SCLVALID");
  return std::string(reinterpret_cast<const char*>(res.data()), res.size());
}

std::int32_t TZelProbeObject::TestCreditorId(const std::string& Id) {
  return BankUtil::TestCreditorId(Id);
}

namespace {

// The account-check mode's answer for the methods that may lack a two-digit
// sub-account: the account to use, or an error text.
std::string SubAccountChecked(const std::string& blz, const std::string& account, int method) {
  CoreFn core = SinglePassCore(method);
  if (!core || account.compare(0, 2, "00") != 0) return account;
  const std::string shifted = account.substr(2, 8) + "00";
  Acc a, b;
  if (blz.size() != 8 || MakeAccount(account, a) != kOk) return "*24 I1";
  if (MakeAccount(shifted, b) != kOk) return "*24 I2";
  const bool plainOk = core(a) == kOk;
  const bool shiftedOk = core(b) == kOk;
  if (plainOk && shiftedOk) return "*24 UN";
  if (plainOk) return account;
  return shiftedOk ? shifted : "*24 I3";
}

// Blocks of four: a blank after characters 20, 16, 12, 8 and 4.
void Group(std::string& iban) {
  for (std::size_t pos : {20u, 16u, 12u, 8u, 4u})
    if (iban.size() > pos) iban.insert(pos, 1, ' ');
}

}  // namespace

std::string TZelProbeObject::GetIban(const std::string& Blz, const std::string& Kto,
                                     bool SpaceFlag) {
  std::string blz = MiniUtils::Trim(Blz);
  std::string account = MiniUtils::Trim(Kto);
  if (account.size() < 10) account.insert(0, 10 - account.size(), '0');
  const char mode = blz.size() > 8 ? blz[8] : ' ';
  if (mode == '+' || mode == '*') blz.resize(8);
  std::string suffix;
  if (mode == '*') {
    std::string bic;
    IbanRules::Convert(*this, blz, account, bic);
    if (!bic.empty() && bic[0] == '*') return bic;
    suffix = "~" + bic;
  } else if (mode == '+') {
    const int n = TestBlzKto(blz, account);
    if (n < 0 || n > 10) return "*" + std::to_string(n);
    account = SubAccountChecked(blz, account, GetRule(blz));
    if (account[0] == '*') return account;
  }
  const std::string body = blz + account;
  char check[16];
  std::snprintf(check, sizeof check, "%2.2d", 98 - BankUtil::Mod97(body + "131400"));
  std::string iban = "DE" + std::string(check) + body;
  if (SpaceFlag) Group(iban);
  return iban + suffix;
}

std::string TZelProbeObject::GetBic(const std::string& Blz) {
  const std::string trimmed = MiniUtils::Trim(Blz);
  const std::string_view code = trimmed;
  if (code.size() == 9 && code.back() == '+')
    return BankText(std::string(code.substr(0, 8)), [](const TBankRecord& b) {
      return b.Pan == 0 ? std::string() : Format("%5.5u", b.Pan);
    });
  if (code.size() == 6 && code.back() == '-') return GetBlzByPan(code.substr(0, 5));
  return BankText(std::string(code),
                  [](const TBankRecord& b) { return std::string(b.Bic.View()); });
}

std::string TZelProbeObject::GetBankName58(const std::string& Blz) {
  return BankText(Blz, [](const TBankRecord& b) { return std::string(b.Name58.View()); });
}

std::string TZelProbeObject::GetBankName27(const std::string& Blz) {
  return BankText(Blz, [](const TBankRecord& b) { return std::string(b.Name27.View()); });
}

std::string TZelProbeObject::GetBankOrt(const std::string& Blz) {
  return BankText(Blz, [](const TBankRecord& b) { return std::string(b.Ort.View()); });
}

std::string TZelProbeObject::GetBankPlz(const std::string& Blz) {
  return BankText(Blz, [](const TBankRecord& b) { return Format("%5.5u", b.Plz); });
}

std::string TZelProbeObject::GetBankName20(const std::string& Blz) {
  if (Blz.empty() || Blz.back() != '+')
    return BankText(Blz, [](const TBankRecord& b) { return std::string(b.Name20.View()); });
  return BankText(Blz.substr(0, Blz.size() - 1), [](const TBankRecord& b) {
    return "|" + std::string(1, b.ChangeFlag) + "|" + Format("%3.3u", b.DeletionFlag) + "|" +
           Format("%8.8u", b.SuccessorBlz) + "|$|";
  });
}

std::string TZelProbeObject::GetFirstBank() {
  CurrentBankNumber = 0;
  return GetNextBank();
}

std::string TZelProbeObject::GetNextBank() {
  TBankRecord bank;
  do {
    if (CurrentBankNumber >= GetBankAnzahl()) return {};
    GetBankByIndex(++CurrentBankNumber, bank);
  } while (bank.ChangeFlag == 'D');
  return Format("%u", bank.Blz);
}

std::string TZelProbeObject::GetFirstMatch(const std::string& SearchString, bool FragmentsFlag) {
  MatchList.clear();
  CurrentMatchNumber = -1;
  LastError.clear();
  // No bank name is that long: a longer text finds nothing and costs nothing.
  constexpr std::size_t kMaxSearch = 1000;
  if (SearchString.size() > kMaxSearch) {
    LastError = Utf8ToCp1252("Der Suchtext ist länger als 1000 Zeichen");
    return {};
  }
  std::string text = SearchString;
  const bool withFullName = !text.empty() && text.back() == '+';
  if (withFullName) text.pop_back();
  // The needles once, not per bank.
  std::vector<std::string> needles = Words(text);
  if (!FragmentsFlag)
    for (std::string& w : needles) w = " " + w + " ";
  TBankRecord bank;
  std::string target;
  for (int i = 1; i <= GetBankAnzahl(); ++i) {
    GetBankByIndex(i, bank);
    if (bank.ChangeFlag == 'D') continue;
    target = " " + UpperTrimmed(bank.Name27.View()) + " ";
    if (withFullName) target += UpperTrimmed(bank.Name58.View()) + " ";
    bool all = true;
    for (const std::string& w : needles) {
      all = w.size() <= target.size() && target.find(w) != std::string::npos;
      if (!all) break;
    }
    if (all) MatchList.push_back(Format("%u", bank.Blz));
  }
  return GetNextMatch();
}

std::string TZelProbeObject::GetNextMatch() {
  if (CurrentMatchNumber + 1 >= static_cast<std::int32_t>(MatchList.size())) return {};
  return MatchList[static_cast<std::size_t>(++CurrentMatchNumber)];
}

}  // namespace zel
