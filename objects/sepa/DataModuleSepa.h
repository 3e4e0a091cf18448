// The XML document of one SEPA file: a Xerces DOM whose elements all lie in
// the file's namespace, filled with code page 1252 texts, and saved as
// indented UTF-8 with an XML declaration once it passes the schema of its
// message version.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <xercesc/dom/DOM.hpp>

namespace zel {

using TXmlElement = xercesc::DOMElement;

// Keeps the Xerces library initialised while an instance lives (Xerces
// counts its initialisations).
class TXercesUse {
 public:
  TXercesUse();
  ~TXercesUse();
  TXercesUse(const TXercesUse&) = delete;
  TXercesUse& operator=(const TXercesUse&) = delete;
};

class TDataModuleSepa {
 public:
  // A document with the root "Document" in the namespace of the message
  // ("pain.001.002.03"), its xsi:schemaLocation naming the schema file.
  explicit TDataModuleSepa(const std::string& painVersion);
  ~TDataModuleSepa();
  TDataModuleSepa(const TDataModuleSepa&) = delete;
  TDataModuleSepa& operator=(const TDataModuleSepa&) = delete;

  TXmlElement* Root() const { return fRoot; }
  // A new last child of parent; names are plain ASCII.
  TXmlElement* Add(TXmlElement* parent, std::string_view name);
  // The same with a text (code page 1252; none when empty).
  TXmlElement* Add(TXmlElement* parent, std::string_view name, std::string_view text);
  // A chain of new elements ("CdtrAcct/Id/IBAN"), the text in the last.
  TXmlElement* AddPath(TXmlElement* parent, std::string_view path, std::string_view text);
  void SetText(TXmlElement* element, std::string_view text);
  // A text node's text replaced in place (no new node).
  void SetText(xercesc::DOMText* node, std::string_view text);
  void SetAttribute(TXmlElement* element, std::string_view name, std::string_view value);

  // Checks the document against the schema of its message and writes it to
  // filename through a temporary file. 0; 13 when the schema refuses it;
  // 29 when it cannot be written. The reason goes to error (code page 1252).
  int Save(const std::string& filename, std::string& error) const;
  // The serialised document (UTF-8), for tests and for Save.
  std::string Serialize() const;

 private:
  TXercesUse fXerces;
  std::string fPainVersion;
  std::u16string fNamespace;
  xercesc::DOMDocument* fDocument = nullptr;
  TXmlElement* fRoot = nullptr;
};

// The schema check alone: 0, or 13 with the element and the complaint in
// error. xml is UTF-8; painVersion selects the embedded schema.
int ValidateSepaXml(std::string_view xml, const std::string& painVersion, std::string& error);

}  // namespace zel
