// libzelxml: Xerces-C++ behind two C functions, so that only what checks a
// SEPA file or reads a statement loads Xerces (and ICU with it). Texts in
// and out are UTF-8; no exception crosses the boundary.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/InputSource.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/BinInputStream.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>
#include <xercesc/validators/common/Grammar.hpp>

namespace {

using namespace xercesc;

using TRead = std::size_t (*)(void*, char*, std::size_t);
using TStart = int (*)(void*, const char*, const char*, const char* const*);
using TText = void (*)(void*, const char*, std::size_t);
using TEnd = int (*)(void*);

class XercesUse {
 public:
  XercesUse() { XMLPlatformUtils::Initialize(); }
  ~XercesUse() { XMLPlatformUtils::Terminate(); }
};

void AppendUtf8(std::string& out, const XMLCh* s, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

std::string Utf8(const XMLCh* s) {
  std::string out;
  if (s) AppendUtf8(out, s, XMLString::stringLen(s));
  return out;
}

void Put(char* error, std::size_t size, const std::string& text) {
  if (size == 0) return;
  const std::size_t n = std::min(size - 1, text.size());
  std::memcpy(error, text.data(), n);
  error[n] = 0;
}

// A document read through a callback, in the pieces the parser asks for.
class CallbackStream : public BinInputStream {
 public:
  CallbackStream(TRead read, void* ctx) : fRead(read), fCtx(ctx) {}
  XMLFilePos curPos() const override { return fPos; }
  XMLSize_t readBytes(XMLByte* const to, const XMLSize_t max) override {
    const std::size_t n = fRead(fCtx, reinterpret_cast<char*>(to), max);
    fPos += n;
    return n;
  }
  const XMLCh* getContentType() const override { return nullptr; }

 private:
  TRead fRead;
  void* fCtx;
  XMLFilePos fPos = 0;
};

class CallbackSource : public InputSource {
 public:
  CallbackSource(TRead read, void* ctx) : InputSource(u"document"), fRead(read), fCtx(ctx) {}
  BinInputStream* makeStream() const override { return new CallbackStream(fRead, fCtx); }

 private:
  TRead fRead;
  void* fCtx;
};

// The pieces of a document, one after the other.
struct Pieces {
  const char* const* data;
  const std::size_t* sizes;
  std::size_t count, piece = 0, offset = 0;
  static std::size_t Read(void* self, char* to, std::size_t max) {
    auto& p = *static_cast<Pieces*>(self);
    std::size_t n = 0;
    while (n < max && p.piece < p.count) {
      const std::size_t take = std::min(max - n, p.sizes[p.piece] - p.offset);
      std::memcpy(to + n, p.data[p.piece] + p.offset, take);
      n += take;
      p.offset += take;
      if (p.offset == p.sizes[p.piece]) ++p.piece, p.offset = 0;
    }
    return n;
  }
};

struct Stop {};  // the handler asked to stop

// The first complaint of a schema check, with the path of its element.
class SchemaComplaint : public DefaultHandler {
 public:
  void startElement(const XMLCh*, const XMLCh* localname, const XMLCh*,
                    const Attributes&) override {
    fPath.push_back(Utf8(localname));
  }
  void endElement(const XMLCh*, const XMLCh*, const XMLCh*) override {
    if (!fPath.empty()) fPath.pop_back();
  }
  void error(const SAXParseException& e) override { Note(e); }
  void fatalError(const SAXParseException& e) override { Note(e); }
  const std::string& Text() const { return fText; }

 private:
  void Note(const SAXParseException& e) {
    if (!fText.empty()) return;
    std::string path;
    for (std::size_t i = 1; i < fPath.size(); ++i) path += (i > 1 ? "/" : "") + fPath[i];
    fText = (path.empty() ? std::string("Dokument") : "Element " + path) + " (Zeile " +
            std::to_string(e.getLineNumber()) + "): " + Utf8(e.getMessage());
  }
  std::vector<std::string> fPath;
  std::string fText;
};

// Streaming events to the caller's callbacks.
class Events : public DefaultHandler {
 public:
  Events(TStart start, TText text, TEnd end, void* ctx)
      : fStart(start), fText(text), fEnd(end), fCtx(ctx) {}
  void startElement(const XMLCh* uri, const XMLCh* localname, const XMLCh*,
                    const Attributes& attrs) override {
    fPath.push_back(Utf8(localname));
    fNames.clear();
    for (XMLSize_t i = 0; i < attrs.getLength(); ++i) {
      fNames.push_back(Utf8(attrs.getLocalName(i)));
      fNames.push_back(Utf8(attrs.getValue(i)));
    }
    fPointers.clear();
    for (const std::string& s : fNames) fPointers.push_back(s.c_str());
    fPointers.push_back(nullptr);
    if (fStart(fCtx, Utf8(uri).c_str(), Utf8(localname).c_str(), fPointers.data()) != 0)
      throw Stop{};
  }
  void characters(const XMLCh* chars, const XMLSize_t length) override {
    fBuffer.clear();
    AppendUtf8(fBuffer, chars, length);
    fText(fCtx, fBuffer.data(), fBuffer.size());
  }
  void endElement(const XMLCh*, const XMLCh*, const XMLCh*) override {
    if (!fPath.empty()) fPath.pop_back();
    if (fEnd(fCtx) != 0) throw Stop{};
  }
  // Not well-formed, or (when checked) against the schema: the element's
  // path and the complaint.
  void error(const SAXParseException& e) override { fatalError(e); }
  void fatalError(const SAXParseException& e) override {
    std::string path;
    for (std::size_t i = 1; i < fPath.size(); ++i) path += (i > 1 ? "/" : "") + fPath[i];
    fError = (path.empty() ? std::string("Dokument") : "Element " + path) + " (Zeile " +
             std::to_string(e.getLineNumber()) + "): " + Utf8(e.getMessage());
    throw Stop{};
  }
  const std::string& Error() const { return fError; }

 private:
  TStart fStart;
  TText fText;
  TEnd fEnd;
  void* fCtx;
  std::vector<std::string> fNames, fPath;
  std::vector<const char*> fPointers;
  std::string fBuffer, fError;
};

void Secure(SAX2XMLReader& reader) {
  reader.setFeature(XMLUni::fgSAX2CoreNameSpaces, true);
  reader.setFeature(XMLUni::fgXercesLoadExternalDTD, false);
  reader.setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
  // Only an embedded schema counts, never a file the document names.
  reader.setFeature(XMLUni::fgXercesLoadSchema, false);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int zelxml_validate(const char* const* pieces,
                                                           const std::size_t* sizes,
                                                           std::size_t count, const char* schema,
                                                           std::size_t schemaSize, char* error,
                                                           std::size_t errorSize) {
  try {
    XercesUse xerces;
    std::unique_ptr<SAX2XMLReader> reader(XMLReaderFactory::createXMLReader());
    Secure(*reader);
    reader->setFeature(XMLUni::fgSAX2CoreValidation, true);
    reader->setFeature(XMLUni::fgXercesDynamic, false);
    reader->setFeature(XMLUni::fgXercesSchema, true);
    reader->setFeature(XMLUni::fgXercesUseCachedGrammarInParse, true);
    reader->setFeature(XMLUni::fgXercesValidationErrorAsFatal, true);
    SchemaComplaint complaint;
    reader->setContentHandler(&complaint);
    reader->setErrorHandler(&complaint);
    MemBufInputSource grammar(reinterpret_cast<const XMLByte*>(schema), schemaSize, u"schema");
    if (schemaSize == 0 || !reader->loadGrammar(grammar, Grammar::SchemaGrammarType, true)) {
      Put(error, errorSize, "Das Schema kann nicht geladen werden");
      return 13;
    }
    Pieces p{pieces, sizes, count};
    CallbackSource document(Pieces::Read, &p);
    try {
      reader->parse(document);
    } catch (const SAXParseException&) {
      // reported to the handler already
    }
    if (complaint.Text().empty()) return 0;
    Put(error, errorSize, complaint.Text());
    return 13;
  } catch (...) {
    Put(error, errorSize, "Die XML-Bibliothek meldet einen Fehler");
    return 13;
  }
}

__attribute__((visibility("default"))) int zelxml_parse(TRead read, void* readCtx, TStart start,
                                                        TText text, TEnd end, void* ctx,
                                                        const char* schema, std::size_t schemaSize,
                                                        char* error, std::size_t errorSize) {
  try {
    XercesUse xerces;
    std::unique_ptr<SAX2XMLReader> reader(XMLReaderFactory::createXMLReader());
    Secure(*reader);
    reader->setFeature(XMLUni::fgSAX2CoreValidation, schemaSize > 0);
    if (schemaSize > 0) {
      // Checked against the schema while it is read: one pass.
      reader->setFeature(XMLUni::fgXercesDynamic, false);
      reader->setFeature(XMLUni::fgXercesSchema, true);
      reader->setFeature(XMLUni::fgXercesUseCachedGrammarInParse, true);
      reader->setFeature(XMLUni::fgXercesValidationErrorAsFatal, true);
      MemBufInputSource grammar(reinterpret_cast<const XMLByte*>(schema), schemaSize, u"schema");
      if (!reader->loadGrammar(grammar, Grammar::SchemaGrammarType, true)) {
        Put(error, errorSize, "Das Schema kann nicht geladen werden");
        return 1;
      }
    }
    SecurityManager security;  // bounds entity expansion ("billion laughs")
    security.setEntityExpansionLimit(100);
    reader->setProperty(XMLUni::fgXercesSecurityManager, &security);
    Events events(start, text, end, ctx);
    reader->setContentHandler(&events);
    reader->setErrorHandler(&events);
    CallbackSource source(read, readCtx);
    try {
      reader->parse(source);
    } catch (const Stop&) {
      Put(error, errorSize, events.Error());
      return 1;
    } catch (const XMLException& e) {
      Put(error, errorSize, "kein lesbares XML: " + Utf8(e.getMessage()));
      return 1;
    } catch (const SAXException& e) {
      Put(error, errorSize, "kein lesbares XML: " + Utf8(e.getMessage()));
      return 1;
    }
    Put(error, errorSize, "");
    return 0;
  } catch (...) {
    Put(error, errorSize, "Die XML-Bibliothek meldet einen Fehler");
    return 1;
  }
}

}  // extern "C"
