// The payment-information blocks of one SEPA file, in creation order: the
// block of a transaction is found by its sequence type and date, or created
// after the existing ones.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PmtInf.h"

namespace zel {

class TPmtInfList {
 public:
  // header.Id is the file's payment-information id (credit) or message id
  // (debit); a non-empty creditor id makes the list build debit blocks.
  explicit TPmtInfList(const TPmtInfHeader& header);

  // The block for a sequence type ("" for credit transfers) and a day.
  TPmtInf& GetPmtInf(const std::string& seqTp, TDateTime date);

  TDateTime EarliestDate() const { return fEarliestDate; }
  bool HasFirstOrOneOff() const { return fHasFirstOrOneOff; }
  std::size_t Count() const { return fBlocks.size(); }
  const std::vector<std::unique_ptr<TPmtInf>>& Blocks() const { return fBlocks; }
  // Every block's text into the document, in creation order.
  void AppendTo(TDataModuleSepa& doc);

 private:
  TPmtInfHeader fHeader;
  std::vector<std::unique_ptr<TPmtInf>> fBlocks;
  TDateTime fEarliestDate;
  bool fHasFirstOrOneOff = false;
};

}  // namespace zel
