#include "ZelSepaObject.h"

#include "MiniUtils.h"
#include "SclTab.h"
#include "ZelRegistration.h"

namespace zel {
namespace {

const TZelRegistrar<TZelSepaObject> kRegistration(TZelSepaObject::kClassName);

std::string TrimmedUpper(const std::string& s) { return MiniUtils::UpperAZ(MiniUtils::Trim(s)); }

}  // namespace

std::unique_ptr<TZelBaseObject> TZelSepaObject::Thaw(TByteStream&) {
  return std::make_unique<TZelSepaObject>();
}

std::int32_t TZelSepaObject::SepaCommand(const std::string& Command, std::int32_t, std::int32_t,
                                         std::int32_t, const std::string& Par4,
                                         const std::string& Par5, const std::string&) {
  const std::string command = TrimmedUpper(Command);
  if (command == "BICSCL") return SepaCommandBICSCL(TrimmedUpper(Par4), TrimmedUpper(Par5));
  if (command == "CALCDUEDATE" || command == "GETSEQTP" || command == "SETDDTYPE") {
    LastError = "Das SEPA-Kommando " + command + " steht in dieser Datendatei noch nicht bereit";
    return 1;
  }
  LastError =
      "Ung\xfc"
      "ltiges SEPA-Kommando";
  return 1;
}

std::int32_t TZelSepaObject::SepaCommandBICSCL(const std::string& Bic, const std::string& Scheme) {
  const std::string key = Bic.size() == 8 ? Bic + "XXX" : Bic;
  TSclRecord r;
  GetSclByIndex(GetSclIndexByBic(key), r);
  if (r.Bic.Len == 0) {
    LastError = "BIC " + Bic + " nicht im SCL-Directory gefunden";
    return 13;
  }
  LastError = std::string(r.Name.View());
  std::uint8_t flag;
  if (Scheme == "SCT")
    flag = r.Sct;
  else if (Scheme == "SDD")
    flag = r.Sdd;
  else if (Scheme == "B2B")
    flag = r.B2b;
  else if (Scheme == "COR1")
    flag = r.Cor1;
  else
    return 87;
  return flag == 1 ? 0 : 21;
}

}  // namespace zel
