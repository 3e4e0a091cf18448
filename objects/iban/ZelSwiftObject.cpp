#include "ZelSwiftObject.h"

#include <climits>

#include "Context.h"
#include "Cp1252.h"
#include "HttpClient.h"
#include "MiniUtils.h"
#include "ZelPackage.h"
#include "ZelRegistration.h"

namespace zel {
namespace {

const TZelRegistrar<TZelSwiftObject> kRegistration(TZelSwiftObject::kClassName);

// An answer page is a few KB; anything beyond this ends the transfer.
constexpr std::size_t kMaxPage = 4 << 20;
// Seconds beyond a day would overflow the milliseconds.
constexpr std::int32_t kMaxTimeoutSeconds = 86400;

std::string T(const char* utf8) { return Utf8ToCp1252(utf8); }

}  // namespace

std::int32_t BicHitsOfPage(const std::string& page) {
  const std::size_t records = page.find(" Record(s)");
  if (page.find("Query results") == std::string::npos || records == std::string::npos) return -300;
  const std::string before = page.substr(0, records);
  const std::size_t gt = before.rfind('>');
  const std::string count = gt == std::string::npos ? before : before.substr(gt + 1);
  if (count.empty() || count.size() > 9 || !MiniUtils::IsDigitsOnly(count)) return 0;
  const int n = std::stoi(count);
  return n == 0 ? -1 : n;
}

std::unique_ptr<TZelBaseObject> TZelSwiftObject::Thaw(TByteStream& Stream) {
  auto o = std::make_unique<TZelSwiftObject>();
  TContext c(Stream);
  c.ReadAll();
  o->ProxyHost = c.GetItem("ProxyHost");
  o->ProxyPort = MiniUtils::GetInt(c.GetItem("ProxyPort"));
  o->Timeout = MiniUtils::GetInt(c.GetItem("Timeout"));
  o->LastError = c.GetItem("LastError");
  return o;
}

void TZelSwiftObject::Freeze(TByteStream& Stream) {
  TContext c(Stream);
  c.WriteBegin();
  c.Write("ProxyHost", ProxyHost);
  c.Write("ProxyPort", ProxyPort);
  c.Write("Timeout", Timeout);
  c.Write("LastError", LastError);
  c.WriteEnd();
}

void TZelSwiftObject::SetProxy(const std::string& Host, std::int32_t Port) {
  ProxyHost = Host;
  ProxyPort = Port;
}

void TZelSwiftObject::SetTimeout(std::int32_t Seconds) {
  Timeout = Seconds < 0 ? 0 : (Seconds > kMaxTimeoutSeconds ? kMaxTimeoutSeconds : Seconds) * 1000;
}

std::int32_t TZelSwiftObject::TestBic(const std::string& Bic) {
  THttpRequest q;
  q.url = ZelSetting("ZELVARO_BIC_URL", "BicSearchUrl");
  if (q.url.empty()) q.url = kDefaultUrl;
  q.form = {
      {"fuseaction", "process_bicsearch"}, {"selected_bic", Bic}, {"selected_institution", ""}};
  if (!ProxyHost.empty() && ProxyPort != 0) {
    q.proxyHost = ProxyHost;
    q.proxyPort = ProxyPort;
  }
  q.timeoutMs = Timeout;
  THttpTextSink page(kMaxPage);
  const THttpResponse r = HttpTransfer(q, page);
  std::string failure = HttpTransferFailure(r);
  if (failure.empty() && r.status != 200)
    failure = "Der Server meldet den Fehler " + std::to_string(r.status);
  if (!failure.empty()) {
    LastError = failure;
    return -200;
  }
  const std::int32_t hits = BicHitsOfPage(page.text);
  LastError = hits == -300 ? T("Server-Antwort ist nicht auswertbar") : "Ok";
  return hits;
}

std::string TZelSwiftObject::GetErrorMessage(std::int32_t Code) {
  if (Code >= 2) return T("Es wurden ") + std::to_string(Code) + T(" Datensätze gefunden.");
  switch (Code) {
    case 1: return "Es wurde 1 Datensatz gefunden.";
    case 0: return T("Anzahl der gefundenen Datensätze unbekannt.");
    case -1: return T("Keine Datensätze zu dieser Anfrage gefunden.");
    case -200: return "Verbindung zum Server kann nicht hergestellt werden.";
    case -300: return T("Server-Antwort ist nicht auswertbar.");
    default: return "Unbekannter Fehlercode Nr. " + std::to_string(Code);
  }
}

}  // namespace zel
