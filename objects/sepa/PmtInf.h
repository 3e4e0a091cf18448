// One payment-information block of a SEPA file: its transactions as text
// (written as they arrive), its running totals, and the header of a
// credit-transfer or direct-debit block, written when the file is saved.
#pragma once

#include <cstdint>
#include <string>

#include "DataModuleSepa.h"
#include "Dates.h"

namespace zel {

// A structured postal address; Town and Country are required once any
// field is given.
struct TPostalAddress {
  std::string Street, Building, PostCode, Town, Country;
  bool Empty() const {
    return Street.empty() && Building.empty() && PostCode.empty() && Town.empty() &&
           Country.empty();
  }
};

// The own account and the texts a block header repeats.
struct TPmtInfHeader {
  std::string Id;          // PmtInfId
  std::string LclInstrm;   // debit: "CORE", "B2B", "COR1"; credit: "INST" or empty
  std::string SeqTp;       // debit: "OOFF", "FRST", "RCUR", "FNAL"
  std::string CtgyPurp;    // may be empty
  std::string Name;        // own account holder
  std::string Iban;        // own account
  std::string Bic;         // may be empty ("NOTPROVIDED")
  std::string CreditorId;  // debit only
  TPostalAddress Address;  // own address (2019 messages only)
  bool Current = false;    // the 2019 messages (pain.001.001.09, pain.008.001.08)
};

// Elements that blocks and transactions share, in the form of the message.
// The bank of an account: BIC, or "NOTPROVIDED" without one.
void WriteAgent(TXmlText& x, std::string_view element, const std::string& bic, bool current);
// A party: its name and, in the 2019 messages, its postal address.
void WriteParty(TXmlText& x, std::string_view element, const std::string& name,
                const TPostalAddress& address, bool current);

class TPmtInf {
 public:
  // Credit form: a "TRF" block with its execution date.
  TPmtInf(TDateTime date, const TPmtInfHeader& h);
  // Debit form: a "DD" block with its collection date.
  TPmtInf(TDateTime date, const TPmtInfHeader& h, bool debit);

  // The text of the block's transactions.
  TXmlText& Body() { return fBody; }
  // Counts a transaction of the block.
  void AddBetrag(std::int64_t amount);
  // Writes the header with the totals and hands header, transactions and
  // end to the document.
  void AppendTo(TDataModuleSepa& doc);

  int BlockCount() const { return fBlockCount; }
  std::int64_t BlockSum() const { return fBlockSum; }
  const std::string& BlockSeqTp() const { return fBlockSeqTp; }
  TDateTime BlockDate() const { return fBlockDate; }

 private:
  void CreditHead(TXmlText& x) const;
  void DebitHead(TXmlText& x) const;

  TPmtInfHeader fHeader;
  bool fDebit;
  TXmlText fBody{3};
  std::string fHead, fTail;
  int fBlockCount = 0;
  std::int64_t fBlockSum = 0;
  std::string fBlockSeqTp;
  TDateTime fBlockDate;
};

}  // namespace zel
