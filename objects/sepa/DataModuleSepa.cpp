#include "DataModuleSepa.h"

#include <span>
#include <string>
#include <vector>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/XMLFormatter.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLUni.hpp>
#include <xercesc/validators/common/Grammar.hpp>

#include "AtomicFile.h"
#include "Cp1252.h"
#include "Resource.h"

namespace zel {
namespace {

using namespace xercesc;

constexpr char16_t kXsiNamespace[] = u"http://www.w3.org/2001/XMLSchema-instance";
constexpr std::size_t kMaxName = 63;

// An ASCII name as a zero-terminated XMLCh text, without allocating.
class Name16 {
 public:
  explicit Name16(std::string_view s) {
    const std::size_t n = s.size() < kMaxName ? s.size() : kMaxName;
    for (std::size_t i = 0; i < n; ++i) fText[i] = static_cast<XMLCh>(s[i]);
    fText[n] = 0;
  }
  const XMLCh* c_str() const { return fText; }

 private:
  XMLCh fText[kMaxName + 1];
};

// XMLCh text (ASCII or Latin) to code page 1252 for messages.
std::string Narrow(const XMLCh* s) {
  std::string out;
  for (; s && *s; ++s) out += *s < 0x100 ? static_cast<char>(*s) : '?';
  return out;
}

template <class T>
struct Releaser {
  void operator()(T* p) const { p->release(); }
};

// Serialised bytes appended to a string.
class StringTarget : public XMLFormatTarget {
 public:
  explicit StringTarget(std::string& out) : fOut(out) {}
  void writeChars(const XMLByte* bytes, XMLSize_t count, XMLFormatter*) override {
    fOut.append(reinterpret_cast<const char*>(bytes), count);
  }

 private:
  std::string& fOut;
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

TDataModuleSepa::TDataModuleSepa(const std::string& painVersion)
    : fPainVersion(painVersion),
      fNamespace(Cp1252ToUtf16("urn:iso:std:iso:20022:tech:xsd:pain." + painVersion)) {
  DOMImplementation* impl = DOMImplementationRegistry::getDOMImplementation(u"Core");
  fDocument = impl->createDocument(fNamespace.c_str(), u"Document", nullptr);
  fRoot = fDocument->getDocumentElement();
  fRoot->setAttributeNS(XMLUni::fgXMLNSURIName, u"xmlns", fNamespace.c_str());
  fRoot->setAttributeNS(XMLUni::fgXMLNSURIName, u"xmlns:xsi", kXsiNamespace);
  const std::u16string location = fNamespace + Cp1252ToUtf16(" pain." + painVersion + ".xsd");
  fRoot->setAttributeNS(kXsiNamespace, u"xsi:schemaLocation", location.c_str());
}

TDataModuleSepa::~TDataModuleSepa() {
  if (fDocument) fDocument->release();
}

TXmlElement* TDataModuleSepa::Add(TXmlElement* parent, std::string_view name) {
  TXmlElement* e = fDocument->createElementNS(fNamespace.c_str(), Name16(name).c_str());
  parent->appendChild(e);
  return e;
}

TXmlElement* TDataModuleSepa::Add(TXmlElement* parent, std::string_view name,
                                  std::string_view text) {
  TXmlElement* e = Add(parent, name);
  if (!text.empty()) SetText(e, text);
  return e;
}

TXmlElement* TDataModuleSepa::AddPath(TXmlElement* parent, std::string_view path,
                                      std::string_view text) {
  for (std::size_t slash; (slash = path.find('/')) != std::string_view::npos;) {
    parent = Add(parent, path.substr(0, slash));
    path.remove_prefix(slash + 1);
  }
  return Add(parent, path, text);
}

void TDataModuleSepa::SetText(TXmlElement* element, std::string_view text) {
  element->appendChild(fDocument->createTextNode(Cp1252ToUtf16(text).c_str()));
}

void TDataModuleSepa::SetText(DOMText* node, std::string_view text) {
  node->setData(Cp1252ToUtf16(text).c_str());
}

void TDataModuleSepa::SetAttribute(TXmlElement* element, std::string_view name,
                                   std::string_view value) {
  element->setAttribute(Name16(name).c_str(), Cp1252ToUtf16(value).c_str());
}

std::string TDataModuleSepa::Serialize() const {
  DOMImplementation* impl = DOMImplementationRegistry::getDOMImplementation(u"LS");
  std::unique_ptr<DOMLSSerializer, Releaser<DOMLSSerializer>> writer(impl->createLSSerializer());
  writer->getDomConfig()->setParameter(XMLUni::fgDOMWRTFormatPrettyPrint, true);
  std::unique_ptr<DOMLSOutput, Releaser<DOMLSOutput>> output(impl->createLSOutput());
  std::string xml;
  StringTarget target(xml);
  output->setEncoding(u"UTF-8");
  output->setByteStream(&target);
  writer->write(fDocument, output.get());
  return xml;
}

int TDataModuleSepa::Save(const std::string& filename, std::string& error) const {
  const std::string xml = Serialize();
  if (ValidateSepaXml(xml, fPainVersion, error) != 0) return 13;
  if (!IsSafeOutputTarget(filename, "", error) || !WriteFileAtomically(filename, xml, error))
    return 29;
  return 0;
}

int ValidateSepaXml(std::string_view xml, const std::string& painVersion, std::string& error) {
  TXercesUse xerces;
  const std::span<const std::byte> xsd = FindResource(ResourceName(painVersion));
  std::unique_ptr<SAX2XMLReader> reader(XMLReaderFactory::createXMLReader());
  SetFeatures(*reader);
  SchemaComplaint complaint;
  reader->setContentHandler(&complaint);
  reader->setErrorHandler(&complaint);
  MemBufInputSource schema(reinterpret_cast<const XMLByte*>(xsd.data()), xsd.size(), u"schema");
  if (!reader->loadGrammar(schema, Grammar::SchemaGrammarType, true)) {
    error = "Das Schema pain." + painVersion + " konnte nicht geladen werden";
    return 13;
  }
  MemBufInputSource document(reinterpret_cast<const XMLByte*>(xml.data()), xml.size(), u"sepa");
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
