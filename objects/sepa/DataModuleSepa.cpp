#include "DataModuleSepa.h"

#include <span>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "Cp1252.h"
#include "Resource.h"
#include "XmlEngine.h"

namespace zel {
namespace {

// Pieces of text as one.
std::string Joined(const std::vector<std::string_view>& pieces) {
  std::size_t size = 0;
  for (const std::string_view p : pieces) size += p.size();
  std::string all;
  all.reserve(size);
  for (const std::string_view p : pieces) all += p;
  return all;
}

constexpr char kIndent[] = "  ";
// Text pieces are closed at the end of an element once they reach this size.
constexpr std::size_t kPiece = std::size_t{1} << 20;

std::string ResourceName(const std::string& painVersion) {
  std::string name = "XSD_PAIN_" + painVersion;
  for (char& c : name)
    if (c == '.') c = '_';
  return name;
}

}  // namespace

// ---------------------------------------------------------------------------
// Element text

void TXmlText::Indent() {
  for (int i = 0; i < fDepth + static_cast<int>(fOpen.size()); ++i) fOut += kIndent;
}

void TXmlText::Escaped(std::string_view text, bool attribute) {
  for (const char c : text) {
    switch (c) {
      case '&': fOut += "&amp;"; break;
      case '<': fOut += "&lt;"; break;
      case '>': fOut += "&gt;"; break;
      case '"':
        if (attribute) {
          fOut += "&quot;";
          break;
        }
        [[fallthrough]];
      default:
        if (static_cast<unsigned char>(c) < 0x80)
          fOut += c;
        else
          fOut += Cp1252ToUtf8(std::string_view(&c, 1));
    }
  }
}

TXmlText& TXmlText::Begin(std::string_view name) {
  Indent();
  fOut.append("<").append(name).append(">\n");
  fOpen.push_back(name);
  return *this;
}

TXmlText& TXmlText::End() {
  const std::string_view name = fOpen.back();
  fOpen.pop_back();
  Indent();
  fOut.append("</").append(name).append(">\n");
  if (fOpen.empty() && fOut.size() >= kPiece) {
    fFull.push_back(std::move(fOut));
    fOut = std::string();
    fOut.reserve(kPiece + kPiece / 8);
  }
  return *this;
}

std::vector<std::string_view> TXmlText::Pieces() const {
  std::vector<std::string_view> all(fFull.begin(), fFull.end());
  all.push_back(fOut);
  return all;
}

std::string TXmlText::Str() const { return Joined(Pieces()); }

TXmlText& TXmlText::Leaf(std::string_view name, std::string_view text) {
  return Leaf(name, {}, {}, text);
}

TXmlText& TXmlText::Leaf(std::string_view name, std::string_view attr, std::string_view value,
                         std::string_view text) {
  Indent();
  fOut.append("<").append(name);
  if (!attr.empty()) {
    fOut.append(" ").append(attr).append("=\"");
    Escaped(value, true);
    fOut += '"';
  }
  fOut += '>';
  Escaped(text, false);
  fOut.append("</").append(name).append(">\n");
  return *this;
}

TXmlText& TXmlText::Path(std::string_view path, std::string_view text) {
  int opened = 0;
  for (std::size_t slash; (slash = path.find('/')) != std::string_view::npos; ++opened) {
    Begin(path.substr(0, slash));
    path.remove_prefix(slash + 1);
  }
  Leaf(path, text);
  while (opened-- > 0) End();
  return *this;
}

TXmlText& TXmlText::Raw(std::string_view xml) {
  fOut += xml;
  return *this;
}

// ---------------------------------------------------------------------------
// The document

TDataModuleSepa::TDataModuleSepa(std::string painVersion, std::string_view initiation)
    : fPainVersion(std::move(painVersion)) {
  const std::string ns = "urn:iso:std:iso:20022:tech:xsd:pain." + fPainVersion;
  fHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n<Document xmlns=\"" + ns +
          "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"" + ns +
          " pain." + fPainVersion + ".xsd\">\n" + kIndent + "<" + std::string(initiation) + ">\n";
  fTail = std::string(kIndent) + "</" + std::string(initiation) + ">\n</Document>\n";
}

std::vector<std::string_view> TDataModuleSepa::Pieces() const {
  std::vector<std::string_view> all;
  all.reserve(fBody.size() + 2);
  all.push_back(fHead);
  all.insert(all.end(), fBody.begin(), fBody.end());
  all.push_back(fTail);
  return all;
}

std::string TDataModuleSepa::Serialize() const { return Joined(Pieces()); }

int TDataModuleSepa::Save(const std::string& filename, std::string& error) const {
  const std::vector<std::string_view> pieces = Pieces();
  if (ValidateSepaXml(pieces, fPainVersion, error) != 0) return 13;
  if (!IsSafeOutputTarget(filename, "", error)) return 29;
  TAtomicFile file(filename);
  if (!file.Open(error)) return 29;
  for (const std::string_view p : pieces) file.Write(p);
  return file.Commit(error) ? 0 : 29;
}

int ValidateSepaXml(const std::vector<std::string_view>& pieces, const std::string& painVersion,
                    std::string& error) {
  const std::span<const std::byte> xsd = FindResource(ResourceName(painVersion));
  const int r = XmlValidate(
      pieces, std::string_view(reinterpret_cast<const char*>(xsd.data()), xsd.size()), error);
  if (r == 0) return 0;
  error = Utf8ToCp1252(
      r == 3 ? error : "Die Datei entspricht nicht dem Schema pain." + painVersion + ": " + error);
  return 13;
}

}  // namespace zel
