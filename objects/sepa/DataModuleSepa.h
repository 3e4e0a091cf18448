// The XML document of one SEPA file. Transactions are written as text the
// moment they arrive (one buffer per payment-information block), so a file
// of a hundred thousand payments holds its text and nothing more; the group
// header and the block headers, whose totals are known only at the end, are
// written when the file is saved. Before anything is saved the whole text
// is checked against the schema of its message version by a streaming
// parse (XmlEngine).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zel {

// Nested XML elements as indented text (two blanks a level). Element names
// are ASCII and must outlive the writer (literals); texts are code page
// 1252 and are written as escaped UTF-8.
class TXmlText {
 public:
  explicit TXmlText(int depth = 0) : fDepth(depth) {}

  TXmlText& Begin(std::string_view name);
  TXmlText& End();
  // <name>text</name>; <name attr="value">text</name>.
  TXmlText& Leaf(std::string_view name, std::string_view text);
  TXmlText& Leaf(std::string_view name, std::string_view attr, std::string_view value,
                 std::string_view text);
  // A chain of elements ("CdtrAcct/Id/IBAN") with the text in the last.
  TXmlText& Path(std::string_view path, std::string_view text);
  // Raw text (already well-formed XML).
  TXmlText& Raw(std::string_view xml);

  // The text so far: in pieces of about a megabyte, so that a long text
  // never needs a copy of itself to grow.
  std::vector<std::string_view> Pieces() const;
  std::string Str() const;

 private:
  void Indent();
  void Escaped(std::string_view text, bool attribute);

  std::vector<std::string> fFull;  // the pieces before fOut
  std::string fOut;
  std::vector<std::string_view> fOpen;
  int fDepth;
};

class TDataModuleSepa {
 public:
  // A document whose root "Document" lies in the namespace of the message
  // ("pain.001.002.03") with its xsi:schemaLocation naming the schema file,
  // and holds the initiation element ("CstmrCdtTrfInitn").
  TDataModuleSepa(std::string painVersion, std::string_view initiation);

  const std::string& PainVersion() const { return fPainVersion; }
  // The text inside the initiation element, in order; the caller keeps the
  // pieces alive until the document is saved.
  void Append(std::string_view piece) { fBody.push_back(piece); }

  // Checks the document against the schema of its message and writes it to
  // filename through a temporary file. 0; 13 when the schema refuses it;
  // 29 when it cannot be written. The reason goes to error (code page 1252).
  int Save(const std::string& filename, std::string& error) const;
  // The whole document (UTF-8), for tests.
  std::string Serialize() const;

 private:
  std::vector<std::string_view> Pieces() const;

  std::string fPainVersion;
  std::string fHead, fTail;
  std::vector<std::string_view> fBody;
};

// The schema check alone: 0, or 13 with the element and the complaint in
// error. The document is the concatenation of pieces (UTF-8); painVersion
// selects the embedded schema.
int ValidateSepaXml(const std::vector<std::string_view>& pieces, const std::string& painVersion,
                    std::string& error);
inline int ValidateSepaXml(std::string_view xml, const std::string& painVersion,
                           std::string& error) {
  return ValidateSepaXml(std::vector<std::string_view>{xml}, painVersion, error);
}

}  // namespace zel
