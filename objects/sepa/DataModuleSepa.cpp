#include "DataModuleSepa.h"

#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/InputSource.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/BinInputStream.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLUni.hpp>
#include <xercesc/validators/common/Grammar.hpp>

#include "AtomicFile.h"
#include "Cp1252.h"
#include "Resource.h"

namespace zel {
namespace {

using namespace xercesc;

constexpr char kIndent[] = "  ";
// Text pieces are closed at the end of an element once they reach this size.
constexpr std::size_t kPiece = std::size_t{1} << 20;

// XMLCh text (ASCII or Latin) to code page 1252 for messages.
std::string Narrow(const XMLCh* s) {
  std::string out;
  for (; s && *s; ++s) out += *s < 0x100 ? static_cast<char>(*s) : '?';
  return out;
}

// The document as one stream over its pieces, without joining them.
class PiecesStream : public BinInputStream {
 public:
  explicit PiecesStream(const std::vector<std::string_view>& pieces) : fPieces(pieces) {}
  XMLFilePos curPos() const override { return fPos; }
  XMLSize_t readBytes(XMLByte* const to, const XMLSize_t max) override {
    XMLSize_t n = 0;
    while (n < max && fPiece < fPieces.size()) {
      const std::string_view p = fPieces[fPiece];
      const std::size_t take = std::min<std::size_t>(max - n, p.size() - fOffset);
      std::memcpy(to + n, p.data() + fOffset, take);
      n += take;
      fOffset += take;
      if (fOffset == p.size()) ++fPiece, fOffset = 0;
    }
    fPos += n;
    return n;
  }
  const XMLCh* getContentType() const override { return nullptr; }

 private:
  const std::vector<std::string_view>& fPieces;
  std::size_t fPiece = 0, fOffset = 0;
  XMLFilePos fPos = 0;
};

class PiecesSource : public InputSource {
 public:
  explicit PiecesSource(const std::vector<std::string_view>& pieces)
      : InputSource(u"sepa"), fPieces(pieces) {}
  BinInputStream* makeStream() const override { return new PiecesStream(fPieces); }

 private:
  const std::vector<std::string_view>& fPieces;
};

// The first complaint of the schema check, with the path of the element
// it concerns.
class SchemaComplaint : public DefaultHandler {
 public:
  void startElement(const XMLCh*, const XMLCh* localname, const XMLCh*,
                    const Attributes&) override {
    fPath.push_back(Narrow(localname));
  }
  void endElement(const XMLCh*, const XMLCh*, const XMLCh*) override {
    if (!fPath.empty()) fPath.pop_back();
  }
  void error(const SAXParseException& e) override { Note(e); }
  void fatalError(const SAXParseException& e) override { Note(e); }

  bool Found() const { return !fText.empty(); }
  const std::string& Text() const { return fText; }

 private:
  void Note(const SAXParseException& e) {
    if (Found()) return;
    std::string path;
    for (std::size_t i = 1; i < fPath.size(); ++i) path += (i > 1 ? "/" : "") + fPath[i];
    fText = (path.empty() ? std::string("Dokument") : "Element " + path) + " (Zeile " +
            std::to_string(e.getLineNumber()) + "): " + Narrow(e.getMessage());
  }

  std::vector<std::string> fPath;
  std::string fText;
};

std::string ResourceName(const std::string& painVersion) {
  std::string name = "XSD_PAIN_" + painVersion;
  for (char& c : name)
    if (c == '.') c = '_';
  return name;
}

void SetFeatures(SAX2XMLReader& reader) {
  reader.setFeature(XMLUni::fgSAX2CoreNameSpaces, true);
  reader.setFeature(XMLUni::fgSAX2CoreValidation, true);
  reader.setFeature(XMLUni::fgXercesDynamic, false);
  reader.setFeature(XMLUni::fgXercesSchema, true);
  reader.setFeature(XMLUni::fgXercesUseCachedGrammarInParse, true);
  // Only the embedded schema counts, never a file the document names.
  reader.setFeature(XMLUni::fgXercesLoadSchema, false);
  reader.setFeature(XMLUni::fgXercesLoadExternalDTD, false);
  reader.setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
  reader.setFeature(XMLUni::fgXercesValidationErrorAsFatal, true);
}

}  // namespace

TXercesUse::TXercesUse() { XMLPlatformUtils::Initialize(); }
TXercesUse::~TXercesUse() { XMLPlatformUtils::Terminate(); }

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

std::string TXmlText::Str() const {
  std::string all;
  for (const std::string_view p : Pieces()) all += p;
  return all;
}

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

std::string TDataModuleSepa::Serialize() const {
  std::string xml;
  for (const std::string_view p : Pieces()) xml += p;
  return xml;
}

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
  TXercesUse xerces;
  const std::span<const std::byte> xsd = FindResource(ResourceName(painVersion));
  std::unique_ptr<SAX2XMLReader> reader(XMLReaderFactory::createXMLReader());
  SetFeatures(*reader);
  SchemaComplaint complaint;
  reader->setContentHandler(&complaint);
  reader->setErrorHandler(&complaint);
  MemBufInputSource schema(reinterpret_cast<const XMLByte*>(xsd.data()), xsd.size(), u"schema");
  if (xsd.empty() || !reader->loadGrammar(schema, Grammar::SchemaGrammarType, true)) {
    error = "Das Schema pain." + painVersion + " konnte nicht geladen werden";
    return 13;
  }
  PiecesSource document(pieces);
  try {
    reader->parse(document);
  } catch (const SAXParseException&) {
    // reported to the handler already
  }
  if (!complaint.Found()) return 0;
  error = "Die Datei entspricht nicht dem Schema pain." + painVersion + ": " + complaint.Text();
  return 13;
}

}  // namespace zel
