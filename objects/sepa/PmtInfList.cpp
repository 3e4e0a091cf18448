#include "PmtInfList.h"

#include <cmath>
#include <limits>

namespace zel {

TPmtInfList::TPmtInfList(TDataModuleSepa& doc, TXmlElement* parent, const TPmtInfHeader& header)
    : fDoc(doc),
      fParentNode(parent),
      fHeader(header),
      fEarliestDate(std::numeric_limits<TDateTime>::max()) {}

TPmtInf& TPmtInfList::GetPmtInf(const std::string& seqTp, TDateTime date) {
  const TDateTime day = std::floor(date);
  for (const auto& block : fBlocks)
    if (block->BlockSeqTp() == seqTp && std::floor(block->BlockDate()) == day) return *block;
  if (fHeader.CreditorId.empty()) {
    fBlocks.push_back(std::make_unique<TPmtInf>(fDoc, fParentNode, date, fHeader));
  } else {
    TPmtInfHeader h = fHeader;
    h.Id += "-" + seqTp;
    h.SeqTp = seqTp;
    fBlocks.push_back(std::make_unique<TPmtInf>(fDoc, fParentNode, date, h, true));
  }
  if (date < fEarliestDate) fEarliestDate = date;
  if (seqTp == "OOFF" || seqTp == "FRST") fHasFirstOrOneOff = true;
  return *fBlocks.back();
}

}  // namespace zel
