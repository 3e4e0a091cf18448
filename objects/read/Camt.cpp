#include "Camt.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "MT940.h"
#include "MiniUtils.h"
#include "Resource.h"
#include "XmlEngine.h"

namespace zel {
namespace {

constexpr std::size_t kMaxName = 140, kMaxAccount = 34, kMaxBic = 11, kMaxPurpose = 2000;

// "2026-11-03" or "2026-11-03T10:00:00", 0 when it is no date.
TDateTime IsoDate(const std::string& text) {
  if (text.size() < 10 || text[4] != '-' || text[7] != '-') return 0;
  const int y = std::atoi(text.substr(0, 4).c_str()), m = std::atoi(text.substr(5, 2).c_str()),
            d = std::atoi(text.substr(8, 2).c_str());
  return IsValidDate(y, m, d) ? EncodeDate(y, m, d) : 0;
}

TAmount Signed(const std::string& amount, const std::string& indicator) {
  TAmount a = 0;
  if (!ParseMt940Amount(amount, a)) return 0;
  return indicator == "DBIT" ? -a : a;
}

struct TParty {
  std::string Name, Account, Bic;
};

struct TTx {
  std::string Amount, Currency, Indicator, Code, Info, Purpose, Reference, OrigAmount, OrigCurrency;
  TParty Debtor, Creditor;
};

struct TEntry {
  std::string Amount, Currency, Indicator, Status, Booked, Value, Code, Info;
  std::vector<TTx> Txs;
};

struct TBalance {
  std::string Code, Amount, Currency, Indicator, Date;
};

class CamtHandler : public TXmlHandler {
 public:
  CamtHandler(const TStatementSink& sink, TReadNotes& notes) : fSink(sink), fNotes(notes) {}

  bool Start(std::string_view uri, std::string_view localname,
             const TAttributes& attributes) override {
    fPath.emplace_back(localname);
    fText.clear();
    const std::string& name = fPath.back();
    if (fPath.size() == 1 && !CheckNamespace(std::string(uri))) return false;
    if (fPath.size() == 3 && (name == "Stmt" || name == "Rpt" || name == "Ntfctn")) {
      fBatch = TStatementBatch{};
      fInStatement = true;
      fLegalNumber = false;
      fClosing.clear();
    } else if (name == "Ntry" && Parent() == StatementName()) {
      fEntry = TEntry{};
      fInEntry = true;
    } else if (name == "TxDtls" && fInEntry) {
      fTx = TTx{};
      fInTx = true;
    } else if (name == "Bal" && Parent() == StatementName()) {
      fBalance = TBalance{};
    }
    if (name == "Amt") {
      fCurrency.clear();
      for (const auto& [key, value] : attributes)
        if (key == "Ccy") fCurrency = value;
    }
    return true;
  }

  void Text(std::string_view text) override {
    if (fText.size() < 8192) fText += text;
  }

  bool End() override {
    if (fInTx)
      TxElement();
    else if (fInEntry)
      EntryElement();
    else if (fInStatement)
      StatementElement();
    fPath.pop_back();
    return !fStopped;
  }

  const std::string& Refusal() const { return fRefusal; }

 private:
  const std::string& At(std::size_t back) const {
    static const std::string none;
    return fPath.size() > back ? fPath[fPath.size() - 1 - back] : none;
  }
  const std::string& Name() const { return At(0); }
  const std::string& Parent() const { return At(1); }
  std::string StatementName() const { return fPath.size() >= 3 ? fPath[2] : std::string(); }
  bool Under(const char* element) const {
    for (const std::string& p : fPath)
      if (p == element) return true;
    return false;
  }

  bool CheckNamespace(const std::string& uri) {
    static const std::string kPrefix = "urn:iso:std:iso:20022:tech:xsd:camt.05";
    // "...camt.053.001.08": the kind (2, 3, 4), then ".001.0" and the version.
    const bool camt = uri.rfind(kPrefix, 0) == 0 && uri.size() == kPrefix.size() + 8 &&
                      std::strchr("234", uri[kPrefix.size()]) &&
                      uri.compare(kPrefix.size() + 1, 6, ".001.0") == 0 && uri.back() >= '2' &&
                      uri.back() <= '8';
    if (!camt)
      fRefusal = "keine camt.052/053/054-Datei der Versionen 02 bis 08 (Namespace \"" + uri + "\")";
    return camt;
  }

  void StatementElement() {
    TStatementRecord& s = fBatch.Statement;
    const std::string& name = Name();
    if (name == StatementName() && fPath.size() == 3) {
      fInStatement = false;
      if (!fStopped && !fSink(fBatch)) fStopped = true;
    } else if (Parent() == StatementName() && (name == "LglSeqNb" || name == "ElctrncSeqNb")) {
      if (name == "LglSeqNb" || !fLegalNumber) s.AuszugNr = std::atoi(fText.c_str());
      fLegalNumber = fLegalNumber || name == "LglSeqNb";
    } else if (Under("Acct") && !Under("Bal") && Parent() == "Id" && At(2) == "Acct" &&
               name == "IBAN") {
      s.Konto = fText.substr(0, kMaxAccount);
      s.Blz = fText.rfind("DE", 0) == 0 && fText.size() == 22 ? fText.substr(4, 8) : "";
    } else if (Under("Bal")) {
      BalanceElement();
    }
  }

  void BalanceElement() {
    const std::string& name = Name();
    if (name == "Cd" && Parent() == "CdOrPrtry") fBalance.Code = fText;
    if (name == "Amt" && Parent() == "Bal") fBalance.Amount = fText, fBalance.Currency = fCurrency;
    if (name == "CdtDbtInd" && Parent() == "Bal") fBalance.Indicator = fText;
    if ((name == "Dt" || name == "DtTm") && Parent() == "Dt") fBalance.Date = fText;
    if (name != "Bal") return;
    TStatementRecord& s = fBatch.Statement;
    const TAmount amount = Signed(fBalance.Amount, fBalance.Indicator);
    if ((fBalance.Code == "PRCD" || fBalance.Code == "OPBD") && s.AnfangWaehrung.empty()) {
      s.AnfangDatum = IsoDate(fBalance.Date);
      s.AnfangWaehrung = fBalance.Currency;
      s.AnfangBetrag = amount;
    } else if (fBalance.Code == "CLBD" || (fBalance.Code == "ITBD" && fClosing != "CLBD")) {
      fClosing = fBalance.Code;
      s.EndDatum = IsoDate(fBalance.Date);
      s.EndWaehrung = fBalance.Currency;
      s.EndBetrag = amount;
    }
  }

  void EntryElement() {
    const std::string& name = Name();
    const std::string& parent = Parent();
    if (name == "Ntry") {
      fInEntry = false;
      Book();
    } else if (parent == "Ntry") {
      if (name == "Amt") fEntry.Amount = fText, fEntry.Currency = fCurrency;
      if (name == "CdtDbtInd") fEntry.Indicator = fText;
      if (name == "Sts" && !fText.empty()) fEntry.Status = fText;  // up to version 06
      if (name == "AddtlNtryInf") fEntry.Info = fText;
    } else if (name == "Cd" && parent == "Sts") {
      fEntry.Status = fText;  // from version 07
    } else if ((name == "Dt" || name == "DtTm") && (parent == "BookgDt" || parent == "ValDt")) {
      (parent == "BookgDt" ? fEntry.Booked : fEntry.Value) = fText;
    } else if (name == "Cd" && parent == "Prtry" && At(2) == "BkTxCd") {
      fEntry.Code = fText;
    }
  }

  void TxElement() {
    const std::string& name = Name();
    const std::string& parent = Parent();
    if (name == "TxDtls") {
      fInTx = false;
      fEntry.Txs.push_back(std::move(fTx));
      return;
    }
    if (name == "Amt" && (parent == "TxDtls" || (parent == "TxAmt" && fTx.Amount.empty())))
      fTx.Amount = fText, fTx.Currency = fCurrency;
    else if (name == "Amt" && parent == "InstdAmt")
      fTx.OrigAmount = fText, fTx.OrigCurrency = fCurrency;
    else if (name == "CdtDbtInd" && parent == "TxDtls")
      fTx.Indicator = fText;
    else if (name == "Cd" && parent == "Prtry" && At(2) == "BkTxCd")
      fTx.Code = fText;
    else if (name == "AddtlTxInf")
      fTx.Info = fText;
    else if (name == "Ustrd" && parent == "RmtInf")
      fTx.Purpose += (fTx.Purpose.empty() ? "" : " ") + fText;
    else if (name == "Ref" && parent == "CdtrRefInf")
      fTx.Reference += (fTx.Reference.empty() ? "" : " ") + fText;
    else if (Under("RltdPties") || Under("RltdAgts"))
      PartyElement();
  }

  // Name, account and bank of debtor and creditor (not the ultimate ones).
  void PartyElement() {
    const std::string& name = Name();
    for (const bool debtor : {true, false}) {
      const std::string party = debtor ? "Dbtr" : "Cdtr";
      TParty& p = debtor ? fTx.Debtor : fTx.Creditor;
      if (name == "Nm" && (Parent() == party || (Parent() == "Pty" && At(2) == party)))
        p.Name = fText;
      else if (name == "IBAN" && At(2) == party + "Acct")
        p.Account = fText;
      else if (name == "Id" && Parent() == "Othr" && At(3) == party + "Acct" && p.Account.empty())
        p.Account = fText;
      else if ((name == "BIC" || name == "BICFI") && At(2) == party + "Agt")
        p.Bic = fText;
    }
  }

  // The entry's bookings: one per transaction, or the entry itself.
  void Book() {
    if (fEntry.Status != "BOOK") {
      ++fNotes.Pending;
      return;
    }
    if (fEntry.Txs.empty()) fEntry.Txs.emplace_back();
    const bool single = fEntry.Txs.size() == 1;
    for (const TTx& tx : fEntry.Txs) {
      TTransactionRecord t;
      const std::string& indicator = tx.Indicator.empty() ? fEntry.Indicator : tx.Indicator;
      const std::string& amount = !tx.Amount.empty() || !single ? tx.Amount : fEntry.Amount;
      t.Betrag = Signed(amount, indicator);
      t.Valuta = IsoDate(fEntry.Value.empty() ? fEntry.Booked : fEntry.Value);
      t.Buchung = IsoDate(fEntry.Booked.empty() ? fEntry.Value : fEntry.Booked);
      ReadCode(tx.Code.empty() ? fEntry.Code : tx.Code, t);
      t.Buchungstext = CutCharacters(fEntry.Info.empty() ? tx.Info : fEntry.Info, 27);
      const TParty& other = indicator == "DBIT" ? tx.Creditor : tx.Debtor;
      t.GegenName = CutCharacters(other.Name, kMaxName);
      t.GegenKonto = other.Account.substr(0, kMaxAccount);
      t.GegenBlz = other.Bic.substr(0, kMaxBic);
      const std::string& purpose = !tx.Purpose.empty()     ? tx.Purpose
                                   : !tx.Reference.empty() ? tx.Reference
                                                           : tx.Info;
      t.Verwendung = CutCharacters(purpose, kMaxPurpose);
      const std::string currency = tx.Currency.empty() ? fEntry.Currency : tx.Currency;
      if (!tx.OrigCurrency.empty() && tx.OrigCurrency != currency) {
        t.OrigWaehrung = tx.OrigCurrency.substr(0, 3);
        t.OrigBetrag = Signed(tx.OrigAmount, indicator);
      }
      fBatch.Bookings.push_back(std::move(t));
    }
  }

  // The German banks' proprietary code "NTRF+166+931+1234": SWIFT code,
  // business transaction code (GVC), text key extension, primanota.
  static void ReadCode(const std::string& code, TTransactionRecord& t) {
    const std::vector<std::string> parts = MiniUtils::Split(code, '+');
    const auto number = [](const std::string& s) {
      return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == std::string::npos
                 ? std::atoi(s.c_str())
                 : 0;
    };
    if (parts.size() > 1) t.Gvc = number(parts[1]);
    if (parts.size() > 2) t.TextSchluesselErg = number(parts[2]);
    if (parts.size() > 3) t.Primanota = parts[3].substr(0, 10);
  }

  const TStatementSink& fSink;
  TReadNotes& fNotes;
  std::vector<std::string> fPath;
  std::string fText, fCurrency, fClosing, fRefusal;
  TStatementBatch fBatch;
  TEntry fEntry;
  TTx fTx;
  TBalance fBalance;
  bool fInStatement = false, fInEntry = false, fInTx = false, fLegalNumber = false,
       fStopped = false;
};

// A day statement of version 08 is checked against its schema while it is
// read (the other versions have none at hand): a file that breaks it is
// refused, so nothing is taken from a form the mapping does not know.
std::string_view SchemaFor(std::string_view head) {
  if (head.find("urn:iso:std:iso:20022:tech:xsd:camt.053.001.08") == std::string_view::npos)
    return {};
  const std::span<const std::byte> xsd = FindResource("XSD_CAMT_053_001_08");
  return {reinterpret_cast<const char*>(xsd.data()), xsd.size()};
}

void Parse(const std::function<std::size_t(char*, std::size_t)>& read, std::string_view head,
           const std::string& name, const TStatementSink& sink, TReadNotes& notes) {
  CamtHandler handler(sink, notes);
  std::string error;
  const std::string_view schema = SchemaFor(head);
  if (XmlParse(read, handler, error, schema)) return;
  if (!handler.Refusal().empty()) throw TStatementFileError(handler.Refusal());
  if (!error.empty())
    throw TStatementFileError(
        name + (schema.empty() ? ": " : ": entspricht nicht dem Schema camt.053.001.08: ") + error);
  // stopped by the sink: what was handed on stays
}

}  // namespace

bool LooksLikeXml(std::string_view head) {
  if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
  const std::size_t first = head.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && head[first] == '<';
}

void ReadCamt(std::string_view xml, const std::string& name, const TStatementSink& sink,
              TReadNotes& notes) {
  const std::string_view head = xml.substr(0, 4096);
  Parse(
      [&](char* to, std::size_t max) {
        const std::size_t n = std::min(max, xml.size());
        std::memcpy(to, xml.data(), n);
        xml.remove_prefix(n);
        return n;
      },
      head, name, sink, notes);
}

void ReadCamtFile(const std::string& fileName, const TStatementSink& sink, TReadNotes& notes) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName.c_str(), "rbe"),
                                                             std::fclose);
  if (!file) throw TStatementFileError(fileName + ": kann nicht gelesen werden");
  char head[4096];
  const std::size_t got = std::fread(head, 1, sizeof head, file.get());
  std::rewind(file.get());
  Parse([&](char* to, std::size_t max) { return std::fread(to, 1, max, file.get()); },
        std::string_view(head, got), fileName, sink, notes);
}

}  // namespace zel
