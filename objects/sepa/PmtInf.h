// One payment-information block of a SEPA file: its PmtInf element with the
// header elements of a credit-transfer or direct-debit block, and its
// running totals.
#pragma once

#include <cstdint>
#include <string>

#include "DataModuleSepa.h"
#include "Dates.h"

namespace zel {

// The own account and the texts a block header repeats.
struct TPmtInfHeader {
  std::string Id;          // PmtInfId
  std::string LclInstrm;   // debit: "CORE", "B2B", "COR1"
  std::string SeqTp;       // debit: "OOFF", "FRST", "RCUR", "FNAL"
  std::string CtgyPurp;    // may be empty
  std::string Name;        // own account holder
  std::string Iban;        // own account
  std::string Bic;         // may be empty ("NOTPROVIDED")
  std::string CreditorId;  // debit only
};

class TPmtInf {
 public:
  // Credit form: a "TRF" block with its execution date.
  TPmtInf(TDataModuleSepa& doc, TXmlElement* parent, TDateTime date, const TPmtInfHeader& h);
  // Debit form: a "DD" block with its collection date.
  TPmtInf(TDataModuleSepa& doc, TXmlElement* parent, TDateTime date, const TPmtInfHeader& h,
          bool debit);

  // Counts a transaction of the block and shows the totals in the header.
  void AddBetrag(std::int64_t amount);

  TXmlElement* PmtInfNode() const { return fPmtInfNode; }
  int BlockCount() const { return fBlockCount; }
  std::int64_t BlockSum() const { return fBlockSum; }
  const std::string& BlockSeqTp() const { return fBlockSeqTp; }
  TDateTime BlockDate() const { return fBlockDate; }

 private:
  void Begin(TXmlElement* parent, const TPmtInfHeader& h, const char* method);
  void Agent(const char* element, const std::string& bic);

  TDataModuleSepa& fDoc;
  TXmlElement* fPmtInfNode = nullptr;
  TXmlElement* fNbOfTxsNode = nullptr;
  TXmlElement* fCtrlSumNode = nullptr;
  xercesc::DOMText* fNbOfTxsText = nullptr;  // their texts, changed in place
  xercesc::DOMText* fCtrlSumText = nullptr;
  int fBlockCount = 0;
  std::int64_t fBlockSum = 0;
  std::string fBlockSeqTp;
  TDateTime fBlockDate;
};

}  // namespace zel
