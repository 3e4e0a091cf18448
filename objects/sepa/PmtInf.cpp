#include "PmtInf.h"

#include "BankUtil.h"

namespace zel {

TPmtInf::TPmtInf(TDataModuleSepa& doc, TXmlElement* parent, TDateTime date, const TPmtInfHeader& h)
    : fDoc(doc), fBlockDate(date) {
  Begin(parent, h, "TRF");
  if (!h.CtgyPurp.empty())
    doc.AddPath(fPmtInfNode->getLastElementChild(), "CtgyPurp/Cd", h.CtgyPurp);
  doc.Add(fPmtInfNode, "ReqdExctnDt", DateToIso(date));
  doc.AddPath(fPmtInfNode, "Dbtr/Nm", h.Name);
  doc.AddPath(fPmtInfNode, "DbtrAcct/Id/IBAN", h.Iban);
  Agent("DbtrAgt", h.Bic);
  doc.Add(fPmtInfNode, "ChrgBr", "SLEV");
}

TPmtInf::TPmtInf(TDataModuleSepa& doc, TXmlElement* parent, TDateTime date, const TPmtInfHeader& h,
                 bool)
    : fDoc(doc), fBlockSeqTp(h.SeqTp), fBlockDate(date) {
  Begin(parent, h, "DD");
  TXmlElement* type = fPmtInfNode->getLastElementChild();
  doc.AddPath(type, "LclInstrm/Cd", h.LclInstrm);
  doc.Add(type, "SeqTp", h.SeqTp);
  if (!h.CtgyPurp.empty()) doc.AddPath(type, "CtgyPurp/Cd", h.CtgyPurp);
  doc.Add(fPmtInfNode, "ReqdColltnDt", DateToIso(date));
  doc.AddPath(fPmtInfNode, "Cdtr/Nm", h.Name);
  doc.AddPath(fPmtInfNode, "CdtrAcct/Id/IBAN", h.Iban);
  Agent("CdtrAgt", h.Bic);
  doc.Add(fPmtInfNode, "ChrgBr", "SLEV");
  TXmlElement* other = doc.Add(doc.AddPath(fPmtInfNode, "CdtrSchmeId/Id/PrvtId", {}), "Othr");
  doc.Add(other, "Id", h.CreditorId);
  doc.AddPath(other, "SchmeNm/Prtry", "SEPA");
}

// PmtInfId, PmtMtd, the totals and PmtTpInf with its service level.
void TPmtInf::Begin(TXmlElement* parent, const TPmtInfHeader& h, const char* method) {
  fPmtInfNode = fDoc.Add(parent, "PmtInf");
  fDoc.Add(fPmtInfNode, "PmtInfId", h.Id);
  fDoc.Add(fPmtInfNode, "PmtMtd", method);
  fNbOfTxsNode = fDoc.Add(fPmtInfNode, "NbOfTxs", "0");
  fCtrlSumNode = fDoc.Add(fPmtInfNode, "CtrlSum", "0.00");
  fNbOfTxsText = static_cast<xercesc::DOMText*>(fNbOfTxsNode->getFirstChild());
  fCtrlSumText = static_cast<xercesc::DOMText*>(fCtrlSumNode->getFirstChild());
  fDoc.AddPath(fDoc.Add(fPmtInfNode, "PmtTpInf"), "SvcLvl/Cd", "SEPA");
}

// The own bank, or "NOTPROVIDED" without a BIC.
void TPmtInf::Agent(const char* element, const std::string& bic) {
  TXmlElement* institution = fDoc.AddPath(fPmtInfNode, std::string(element) + "/FinInstnId", {});
  if (bic.empty())
    fDoc.AddPath(institution, "Othr/Id", "NOTPROVIDED");
  else
    fDoc.Add(institution, "BIC", bic);
}

void TPmtInf::AddBetrag(std::int64_t amount) {
  ++fBlockCount;
  fBlockSum += amount;
  fDoc.SetText(fNbOfTxsText, std::to_string(fBlockCount));
  fDoc.SetText(fCtrlSumText, BankUtil::SepaBetrag(fBlockSum));
}

}  // namespace zel
