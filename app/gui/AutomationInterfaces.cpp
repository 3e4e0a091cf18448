#include "AutomationInterfaces.h"

#include "Cp1252.h"
#include "ZelPackage.h"

namespace zelgui {
namespace {

using Args = QVariantList;
using Obj = TAutomationObject;
using Probe = zel::TProxyZelProbeObject;
using Arbeit = zel::TProxyZelArbeitObject;
using Swift = zel::TProxyZelSwiftObject;
using Dtaus = zel::TProxyZelDtausObject;
using Read = zel::TProxyZelReadObject;
using Sepa = zel::TProxyZelSepaObject;

constexpr const char* kNoMoreInformation = "Keine weiteren Informationen verfügbar.";

// Argument i as the domain takes it.
std::string S(const Args& a, int i) { return zel::Utf8ToCp1252(a[i].toString().toStdString()); }
std::int32_t I(const Args& a, int i) { return a[i].toInt(); }
std::int64_t X(const Args& a, int i) { return a[i].toLongLong(); }
// A domain text as the bus carries it.
QVariant T(const std::string& cp1252) { return QString::fromStdString(zel::Cp1252ToUtf8(cp1252)); }
QVariant N(std::int32_t v) { return QVariant(v); }

template <class P>
P& As(Obj& o) {
  return static_cast<P&>(*o.proxy);
}

// The shapes of the tables' lines.
template <class P, class F>
TMethod M(int id, const char* name, std::vector<TArg> in, char result, F f) {
  return {id, name, std::move(in), result,
          [f](Obj& o, const Args& a) -> QVariant { return f(As<P>(o), a); }};
}
TMethod Fixed(int id, const char* name, std::vector<TArg> in, char result,
              std::function<QVariant(const Args&)> f) {
  return {id, name, std::move(in), result, [f](Obj&, const Args& a) { return f(a); }, false};
}
template <class P>
TMethod ErrorMessage(int id) {
  return M<P>(id, "GetErrorMessage", {{"aErrorCode", 'i'}}, 's',
              [](P& p, const Args& a) { return T(p.GetErrorMessage(I(a, 0))); });
}
template <class P>
TMethod LastError(int id) {
  return M<P>(id, "GetLastError", {}, 's', [](P& p, const Args&) { return T(p.GetLastError()); });
}
QVariant Void() { return {}; }

std::vector<TMethod> ProbeMethods() {
  const auto blzText = [](int id, const char* name, std::string (Probe::*op)(const std::string&)) {
    return M<Probe>(id, name, {{"aBlz", 's'}}, 's',
                    [op](Probe& p, const Args& a) { return T((p.*op)(S(a, 0))); });
  };
  return {
      M<Probe>(201, "GetRule", {{"aBlz", 's'}}, 'i',
               [](Probe& p, const Args& a) { return N(p.GetRule(S(a, 0))); }),
      M<Probe>(202, "GetVersion", {}, 's', [](Probe& p, const Args&) { return T(p.GetVersion()); }),
      Fixed(203, "Init", {}, 'i', [](const Args&) { return N(0); }),
      Fixed(204, "InitFile", {{"aFilename", 's'}}, 'i', [](const Args&) { return N(0); }),
      M<Probe>(205, "TestBlzKto", {{"aBlz", 's'}, {"aKto", 's'}}, 'i',
               [](Probe& p, const Args& a) { return N(p.TestBlzKto(S(a, 0), S(a, 1))); }),
      M<Probe>(206, "TestCC", {{"aCCNumber", 's'}}, 'i',
               [](Probe& p, const Args& a) { return N(p.TestCC(S(a, 0))); }),
      M<Probe>(207, "TestIban", {{"aIban", 's'}}, 'i',
               [](Probe& p, const Args& a) { return N(p.TestIban(S(a, 0))); }),
      M<Probe>(
          208, "GetIban", {{"aBlz", 's'}, {"aKto", 's'}, {"aSpaceFlag", 'i'}}, 's',
          [](Probe& p, const Args& a) { return T(p.GetIban(S(a, 0), S(a, 1), I(a, 2) != 0)); }),
      blzText(209, "GetBic", &Probe::GetBic),
      blzText(210, "GetBankName", &Probe::GetBankName27),
      M<Probe>(211, "GetFirstBank", {}, 's',
               [](Probe& p, const Args&) { return T(p.GetFirstBank()); }),
      M<Probe>(212, "GetNextBank", {}, 's',
               [](Probe& p, const Args&) { return T(p.GetNextBank()); }),
      M<Probe>(213, "GetFirstMatch", {{"aSearchString", 's'}, {"aFragmentsFlag", 'i'}}, 's',
               [](Probe& p, const Args& a) { return T(p.GetFirstMatch(S(a, 0), I(a, 1) != 0)); }),
      M<Probe>(214, "GetNextMatch", {}, 's',
               [](Probe& p, const Args&) { return T(p.GetNextMatch()); }),
      blzText(215, "GetBankName58", &Probe::GetBankName58),
      blzText(216, "GetBankName20", &Probe::GetBankName20),
      blzText(217, "GetBankName27", &Probe::GetBankName27),
      blzText(218, "GetBankPlz", &Probe::GetBankPlz),
      blzText(219, "GetBankOrt", &Probe::GetBankOrt),
      ErrorMessage<Probe>(220),
      Fixed(221, "GetLastError", {}, 's', [](const Args&) { return QString(kNoMoreInformation); }),
      M<Probe>(222, "GetVersionExtended", {}, 's',
               [](Probe& p, const Args&) { return T(p.GetVersionExtended()); }),
  };
}

std::vector<TMethod> ArbeitMethods() {
  return {
      M<Arbeit>(201, "Arbeitstage",
                {{"aYear", 'i'}, {"aMonth", 'i'}, {"aSaturdaysFlag", 'i'}, {"aFeiertageSet", 'i'}},
                'i',
                [](Arbeit& p, const Args& a) {
                  return N(p.Arbeitstage(I(a, 0), I(a, 1), I(a, 2), I(a, 3)));
                }),
      Fixed(202, "GetErrorMessage", {{"aErrorCode", 'i'}}, 's',
            [](const Args& a) { return QString("Fehler Nr. %1 ist unbekannt.").arg(I(a, 0)); }),
      Fixed(203, "GetLastError", {}, 's', [](const Args&) { return QString(kNoMoreInformation); }),
  };
}

std::vector<TMethod> SwiftMethods() {
  return {
      M<Swift>(201, "TestBic", {{"aBic", 's'}}, 'i',
               [](Swift& p, const Args& a) { return N(p.TestBic(S(a, 0))); }),
      M<Swift>(202, "SetProxy", {{"aProxyHost", 's'}, {"aProxyPort", 'i'}}, 0,
               [](Swift& p, const Args& a) { return p.SetProxy(S(a, 0), I(a, 1)), Void(); }),
      M<Swift>(203, "SetTimeout", {{"aTimeout", 'i'}}, 0,
               [](Swift& p, const Args& a) { return p.SetTimeout(I(a, 0)), Void(); }),
      ErrorMessage<Swift>(204),
      LastError<Swift>(205),
  };
}

std::vector<TMethod> UpdateMethods() {
  const auto pkg = [] { return zel::ZelPackage(); };
  return {
      Fixed(201, "SetProxy", {{"aHost", 's'}, {"aPort", 'i'}}, 0,
            [pkg](const Args& a) { return pkg()->UpdateSetProxy(S(a, 0), I(a, 1)), Void(); }),
      Fixed(202, "ServerCheck", {{"aUser", 's'}, {"aPass", 's'}}, 's',
            [pkg](const Args& a) { return T(pkg()->UpdateServerCheck(S(a, 0), S(a, 1))); }),
      Fixed(203, "ServerDownload", {{"aUser", 's'}, {"aPass", 's'}}, 's',
            [pkg](const Args& a) { return T(pkg()->UpdateServerDownload(S(a, 0), S(a, 1))); }),
      Fixed(204, "Unpack", {{"aFilename", 's'}}, 'i',
            [pkg](const Args& a) { return N(pkg()->Unpack(S(a, 0))); }),
      Fixed(205, "GetCurrentFileName", {}, 's',
            [pkg](const Args&) { return T(pkg()->GetCurrentFileName()); }),
      Fixed(206, "GetNewestFileName", {}, 's',
            [pkg](const Args&) { return T(pkg()->GetNewestFileName()); }),
      Fixed(207, "Activate", {{"aFilename", 's'}}, 'i',
            [pkg](const Args& a) { return N(pkg()->Activate(S(a, 0))); }),
      Fixed(208, "GetLastError", {}, 's', [pkg](const Args&) { return T(pkg()->GetLastError()); }),
      Fixed(209, "SetTimeout", {{"aTimeout", 'i'}}, 0,
            [pkg](const Args& a) { return pkg()->UpdateSetTimeout(I(a, 0)), Void(); }),
      Fixed(210, "GetErrorMessage", {{"aErrorCode", 'i'}}, 's',
            [pkg](const Args& a) { return T(pkg()->GetErrorMessage(I(a, 0))); }),
      Fixed(211, "GetDataDirectory", {}, 's',
            [pkg](const Args&) { return T(pkg()->GetDataDirectory()); }),
      Fixed(212, "SetDataDirectory", {{"aDataDirectory", 's'}}, 0,
            [pkg](const Args& a) { return pkg()->SetDataDirectory(S(a, 0)), Void(); }),
  };
}

std::vector<TMethod> DtausMethods() {
  return {
      M<Dtaus>(201, "CheckFile", {{"aFilename", 's'}}, 'i',
               [](Dtaus& p, const Args& a) { return N(p.CheckFile(S(a, 0))); }),
      ErrorMessage<Dtaus>(202),
      LastError<Dtaus>(203),
      M<Dtaus>(204, "WriteFile",
               {{"aBlz", 's'},
                {"aKto", 's'},
                {"aName", 's'},
                {"aVerwend", 's'},
                {"aIntern", 's'},
                {"aTS", 'i'},
                {"aTSE", 'i'},
                {"aBetrag", 'x'}},
               'i',
               [](Dtaus& p, const Args& a) {
                 return N(p.WriteFile(S(a, 0), S(a, 1), S(a, 2), S(a, 3), S(a, 4), I(a, 5), I(a, 6),
                                      X(a, 7)));
               }),
      M<Dtaus>(205, "CloseFile", {}, 'i', [](Dtaus& p, const Args&) { return N(p.CloseFile()); }),
      M<Dtaus>(206, "CreateFile",
               {{"aFilename", 's'},
                {"aBlz", 's'},
                {"aKto", 's'},
                {"aName", 's'},
                {"aNumber", 's'},
                {"aType", 'i'},
                {"aCheckFlag", 'i'},
                {"aDaysAhead", 'i'}},
               'i',
               [](Dtaus& p, const Args& a) {
                 return N(p.CreateFile(S(a, 0), S(a, 1), S(a, 2), S(a, 3), S(a, 4), I(a, 5),
                                       I(a, 6), I(a, 7)));
               }),
  };
}

std::vector<TMethod> ReadMethods() {
  return {
      M<Read>(201, "ReadMt940",
              {{"aDatabaseType", 'i'},
               {"aDatabaseName", 's'},
               {"aUsername", 's'},
               {"aPassword", 's'},
               {"aFilename", 's'},
               {"aTranslation", 's'},
               {"aUserId", 'i'}},
              'i',
              [](Read& p, const Args& a) {
                return N(
                    p.ReadMt940(I(a, 0), S(a, 1), S(a, 2), S(a, 3), S(a, 4), S(a, 5), I(a, 6)));
              }),
      ErrorMessage<Read>(202),
      LastError<Read>(203),
  };
}

std::vector<TMethod> SepaMethods() {
  const std::vector<TArg> open = {{"aMsgId", 's'},    {"aPmtInfId", 's'},     {"aInitgPty", 's'},
                                  {"aCtgyPurp", 's'}, {"aAuftraggeber", 's'}, {"aIban", 's'},
                                  {"aBic", 's'}};
  const auto text = [](int id, const char* name, std::string (Sepa::*op)()) {
    return M<Sepa>(id, name, {}, 's', [op](Sepa& p, const Args&) { return T((p.*op)()); });
  };
  const auto byMandant = [](int id, const char* name, std::int32_t (Sepa::*op)(std::int32_t)) {
    return M<Sepa>(id, name, {{"aMandant", 'i'}}, 'i',
                   [op](Sepa& p, const Args& a) { return N((p.*op)(I(a, 0))); });
  };
  const auto withFile = [](int id, const char* name,
                           std::int32_t (Sepa::*op)(std::int32_t, const std::string&)) {
    return M<Sepa>(id, name, {{"aMandant", 'i'}, {"aFilename", 's'}}, 'i',
                   [op](Sepa& p, const Args& a) { return N((p.*op)(I(a, 0), S(a, 1))); });
  };
  return {
      M<Sepa>(201, "OpenDebit",
              {{"aMandant", 'i'},
               {"aMsgId", 's'},
               {"aInitgPty", 's'},
               {"aCtgyPurp", 's'},
               {"aAuftraggeber", 's'},
               {"aIban", 's'},
               {"aBic", 's'},
               {"aCreditorId", 's'}},
              'i',
              [](Sepa& p, const Args& a) {
                return N(p.OpenDebit(I(a, 0), S(a, 1), S(a, 2), S(a, 3), S(a, 4), S(a, 5), S(a, 6),
                                     S(a, 7)));
              }),
      M<Sepa>(202, "WriteDebit",
              {{"aKunde", 'i'},
               {"aSeqTp", 'i'},
               {"aBetrag", 'x'},
               {"aName", 's'},
               {"aIban", 's'},
               {"aBic", 's'},
               {"aPurp", 's'},
               {"aRef", 's'},
               {"aVerwend", 's'},
               {"aMandatRef", 's'},
               {"aMandatDate", 's'}},
              'i',
              [](Sepa& p, const Args& a) {
                return N(p.WriteDebit(I(a, 0), I(a, 1), X(a, 2), S(a, 3), S(a, 4), S(a, 5), S(a, 6),
                                      S(a, 7), S(a, 8), S(a, 9), S(a, 10)));
              }),
      M<Sepa>(203, "CloseDebit", {{"aFilename", 's'}}, 'i',
              [](Sepa& p, const Args& a) { return N(p.CloseDebit(S(a, 0))); }),
      M<Sepa>(
          204, "SetBankDays",
          {{"aCreditBankOffset", 'i'}, {"aShortBankOffset", 'i'}, {"aLongBankOffset", 'i'}}, 0,
          [](Sepa& p, const Args& a) { return p.SetBankDays(I(a, 0), I(a, 1), I(a, 2)), Void(); }),
      M<Sepa>(205, "SetBankHour", {{"aHour", 'i'}}, 0,
              [](Sepa& p, const Args& a) { return p.SetBankHour(I(a, 0)), Void(); }),
      text(206, "GetShortDueDate", &Sepa::GetShortDueDate),
      text(207, "GetLongDueDate", &Sepa::GetLongDueDate),
      ErrorMessage<Sepa>(208),
      LastError<Sepa>(209),
      text(210, "GetActualDueDate", &Sepa::GetActualDueDate),
      M<Sepa>(211, "OpenCredit", open, 'i',
              [](Sepa& p, const Args& a) {
                return N(
                    p.OpenCredit(S(a, 0), S(a, 1), S(a, 2), S(a, 3), S(a, 4), S(a, 5), S(a, 6)));
              }),
      M<Sepa>(212, "WriteCredit",
              {{"aBetrag", 'x'},
               {"aName", 's'},
               {"aIban", 's'},
               {"aBic", 's'},
               {"aPurp", 's'},
               {"aRef", 's'},
               {"aVerwend", 's'}},
              'i',
              [](Sepa& p, const Args& a) {
                return N(
                    p.WriteCredit(X(a, 0), S(a, 1), S(a, 2), S(a, 3), S(a, 4), S(a, 5), S(a, 6)));
              }),
      M<Sepa>(213, "CloseCredit", {{"aFilename", 's'}}, 'i',
              [](Sepa& p, const Args& a) { return N(p.CloseCredit(S(a, 0))); }),
      M<Sepa>(214, "SetSepaVersion", {{"aSepaVersion", 'i'}}, 'i',
              [](Sepa& p, const Args& a) { return N(p.SetSepaVersion(I(a, 0))); }),
      text(215, "GetTempList", &Sepa::GetTempList),
      byMandant(216, "DeleteTemp", &Sepa::DeleteTemp),
      byMandant(217, "MergeTemp", &Sepa::MergeTemp),
      withFile(218, "ExportToFile", &Sepa::ExportToFile),
      withFile(219, "ImportFromFile", &Sepa::ImportFromFile),
      M<Sepa>(220, "SepaCommand",
              {{"aCommand", 's'},
               {"aPar1", 'i'},
               {"aPar2", 'i'},
               {"aPar3", 'i'},
               {"aPar4", 's'},
               {"aPar5", 's'},
               {"aPar6", 's'}},
              'i',
              [](Sepa& p, const Args& a) {
                return N(
                    p.SepaCommand(S(a, 0), I(a, 1), I(a, 2), I(a, 3), S(a, 4), S(a, 5), S(a, 6)));
              }),
      M<Sepa>(221, "TestDbDirectory", {}, 'i',
              [](Sepa& p, const Args&) { return N(p.TestDbDirectory()); }),
      M<Sepa>(222, "SetDbDirectory", {{"aDbDirectory", 's'}}, 'i',
              [](Sepa& p, const Args& a) { return N(p.SetDbDirectory(S(a, 0))); }),
      text(223, "GetDbDirectory", &Sepa::GetDbDirectory),
  };
}

QString DBusType(char t) { return t == 's' ? "s" : t == 'x' ? "x" : "i"; }

}  // namespace

const std::vector<TInterface>& AutomationInterfaces() {
  static const std::vector<TInterface> kInterfaces = {
      {"ZelProbe", "ZelProbeObject", ProbeMethods()},
      {"ZelArbeit", "ZelArbeitObject", ArbeitMethods()},
      {"ZelSwift", "ZelSwiftObject", SwiftMethods()},
      {"ZelUpdate", "", UpdateMethods()},
      {"ZelDtaus", "ZelDtausObject", DtausMethods()},
      {"ZelRead", "ZelReadObject", ReadMethods()},
      {"ZelSepa", "ZelSepaObject", SepaMethods()},
  };
  return kInterfaces;
}

const TInterface* FindInterface(const QString& className) {
  for (const TInterface& i : AutomationInterfaces())
    if (className == i.className) return &i;
  return nullptr;
}

QString InterfaceName(const TInterface& i) { return QString("org.zelvaro.Bank.I") + i.className; }

QString IntrospectionXml(const TInterface& i) {
  QString xml = "  <interface name=\"" + InterfaceName(i) + "\">\n";
  for (const TMethod& m : i.methods) {
    xml += QString("    <method name=\"%1\">\n").arg(m.name);
    xml += QString("      <annotation name=\"org.zelvaro.Bank.DispatchId\" value=\"%1\"/>\n")
               .arg(m.id);
    for (const TArg& a : m.in)
      xml += QString("      <arg name=\"%1\" type=\"%2\" direction=\"in\"/>\n")
                 .arg(a.name, DBusType(a.type));
    if (m.result)
      xml += QString("      <arg name=\"Result\" type=\"%1\" direction=\"out\"/>\n")
                 .arg(DBusType(m.result));
    xml += "    </method>\n";
  }
  xml += "    <method name=\"Release\"/>\n  </interface>\n";
  return xml;
}

std::unique_ptr<zel::TProxyBaseObject> CreateProxy(const TInterface& i) {
  const std::string name = i.domainName;
  if (name == "ZelProbeObject") return Probe::Create(name);
  if (name == "ZelArbeitObject") return Arbeit::Create(name);
  if (name == "ZelSwiftObject") return Swift::Create(name);
  if (name == "ZelDtausObject") return Dtaus::Create(name);
  if (name == "ZelReadObject") return Read::Create(name);
  if (name == "ZelSepaObject") return Sepa::Create(name);
  return nullptr;
}

}  // namespace zelgui
