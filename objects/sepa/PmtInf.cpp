#include "PmtInf.h"

#include "BankUtil.h"

namespace zel {

void WriteAgent(TXmlText& x, std::string_view element, const std::string& bic, bool current) {
  x.Begin(element).Begin("FinInstnId");
  if (bic.empty())
    x.Path("Othr/Id", "NOTPROVIDED");
  else
    x.Leaf(current ? "BICFI" : "BIC", bic);
  x.End().End();
}

void WriteParty(TXmlText& x, std::string_view element, const std::string& name,
                const TPostalAddress& address, bool current) {
  x.Begin(element).Leaf("Nm", name);
  if (current && !address.Empty()) {
    // Schema order: street, building, post code, town, country.
    x.Begin("PstlAdr");
    if (!address.Street.empty()) x.Leaf("StrtNm", address.Street);
    if (!address.Building.empty()) x.Leaf("BldgNb", address.Building);
    if (!address.PostCode.empty()) x.Leaf("PstCd", address.PostCode);
    x.Leaf("TwnNm", address.Town).Leaf("Ctry", address.Country).End();
  }
  x.End();
}

TPmtInf::TPmtInf(TDateTime date, const TPmtInfHeader& h)
    : fHeader(h), fDebit(false), fBlockDate(date) {}

TPmtInf::TPmtInf(TDateTime date, const TPmtInfHeader& h, bool)
    : fHeader(h), fDebit(true), fBlockSeqTp(h.SeqTp), fBlockDate(date) {}

void TPmtInf::AddBetrag(std::int64_t amount) {
  ++fBlockCount;
  fBlockSum += amount;
}

// PmtInfId, PmtMtd, the totals, then the header of the block's kind.
void TPmtInf::AppendTo(TDataModuleSepa& doc) {
  TXmlText x(2);
  x.Begin("PmtInf")
      .Leaf("PmtInfId", fHeader.Id)
      .Leaf("PmtMtd", fDebit ? "DD" : "TRF")
      .Leaf("NbOfTxs", std::to_string(fBlockCount))
      .Leaf("CtrlSum", BankUtil::SepaBetrag(fBlockSum));
  if (fDebit)
    DebitHead(x);
  else
    CreditHead(x);
  fHead = x.Str();
  fTail = "    </PmtInf>\n";
  doc.Append(fHead);
  for (const std::string_view piece : fBody.Pieces()) doc.Append(piece);
  doc.Append(fTail);
}

void TPmtInf::CreditHead(TXmlText& x) const {
  const TPmtInfHeader& h = fHeader;
  x.Begin("PmtTpInf").Path("SvcLvl/Cd", "SEPA");
  if (!h.LclInstrm.empty()) x.Path("LclInstrm/Cd", h.LclInstrm);
  if (!h.CtgyPurp.empty()) x.Path("CtgyPurp/Cd", h.CtgyPurp);
  x.End();
  if (h.Current)
    x.Path("ReqdExctnDt/Dt", DateToIso(fBlockDate));
  else
    x.Leaf("ReqdExctnDt", DateToIso(fBlockDate));
  WriteParty(x, "Dbtr", h.Name, h.Address, h.Current);
  x.Path("DbtrAcct/Id/IBAN", h.Iban);
  WriteAgent(x, "DbtrAgt", h.Bic, h.Current);
  x.Leaf("ChrgBr", "SLEV");
}

void TPmtInf::DebitHead(TXmlText& x) const {
  const TPmtInfHeader& h = fHeader;
  x.Begin("PmtTpInf").Path("SvcLvl/Cd", "SEPA").Path("LclInstrm/Cd", h.LclInstrm);
  x.Leaf("SeqTp", h.SeqTp);
  if (!h.CtgyPurp.empty()) x.Path("CtgyPurp/Cd", h.CtgyPurp);
  x.End().Leaf("ReqdColltnDt", DateToIso(fBlockDate));
  WriteParty(x, "Cdtr", h.Name, h.Address, h.Current);
  x.Path("CdtrAcct/Id/IBAN", h.Iban);
  WriteAgent(x, "CdtrAgt", h.Bic, h.Current);
  x.Leaf("ChrgBr", "SLEV");
  x.Begin("CdtrSchmeId").Begin("Id").Begin("PrvtId").Begin("Othr").Leaf("Id", h.CreditorId);
  x.Path("SchmeNm/Prtry", "SEPA").End().End().End().End();
}

}  // namespace zel
