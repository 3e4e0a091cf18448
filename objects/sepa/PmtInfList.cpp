#include "PmtInfList.h"

#include <cmath>
#include <limits>

namespace zel {

TPmtInfList::TPmtInfList(const TPmtInfHeader& header)
    : fHeader(header), fEarliestDate(std::numeric_limits<TDateTime>::max()) {}

TPmtInf& TPmtInfList::GetPmtInf(const std::string& seqTp, TDateTime date) {
  const TDateTime day = std::floor(date);
  for (const auto& block : fBlocks)
    if (block->BlockSeqTp() == seqTp && std::floor(block->BlockDate()) == day) return *block;
  if (fHeader.CreditorId.empty()) {
    fBlocks.push_back(std::make_unique<TPmtInf>(date, fHeader));
  } else {
    TPmtInfHeader h = fHeader;
    h.Id += "-" + seqTp;
    h.SeqTp = seqTp;
    fBlocks.push_back(std::make_unique<TPmtInf>(date, h, true));
  }
  if (date < fEarliestDate) fEarliestDate = date;
  if (seqTp == "OOFF" || seqTp == "FRST") fHasFirstOrOneOff = true;
  return *fBlocks.back();
}

void TPmtInfList::AppendTo(TDataModuleSepa& doc) {
  for (const auto& block : fBlocks) block->AppendTo(doc);
}

}  // namespace zel
