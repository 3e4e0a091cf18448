#include "XmlEngine.h"

#include <dlfcn.h>

#include <string>

#include "LazyLibrary.h"

namespace zel {
namespace {

using TValidate = int (*)(const char* const*, const std::size_t*, std::size_t, const char*,
                          std::size_t, char*, std::size_t);
using TRead = std::size_t (*)(void*, char*, std::size_t);
using TStart = int (*)(void*, const char*, const char*, const char* const*);
using TText = void (*)(void*, const char*, std::size_t);
using TEnd = int (*)(void*);
using TParse = int (*)(TRead, void*, TStart, TText, TEnd, void*, const char*, std::size_t, char*,
                       std::size_t);

struct TXmlLibrary {
  TValidate validate = nullptr;
  TParse parse = nullptr;
  std::string missing;  // why it could not be loaded
};

// libzelxml from the folder of this library (never a search path).
const TXmlLibrary& Library() {
  static const TXmlLibrary lib = [] {
    TXmlLibrary l;
    Dl_info info{};
    std::string dir = ".";
    if (::dladdr(reinterpret_cast<void*>(&XmlValidate), &info) != 0 && info.dli_fname) {
      dir = info.dli_fname;
      dir = dir.substr(0, dir.rfind('/'));
    }
    const std::string path = dir + "/libzelxml.so.0";
    void* h = OpenLibrary(path.c_str());
    if (!h || !Bind(h, "zelxml_validate", l.validate) || !Bind(h, "zelxml_parse", l.parse)) {
      const char* why = ::dlerror();
      l.missing = "Die XML-Bibliothek " + path + " fehlt oder ist unvollständig" +
                  (why ? std::string(": ") + why : std::string());
      l.validate = nullptr;
      l.parse = nullptr;
    }
    return l;
  }();
  return lib;
}

struct TParseContext {
  const std::function<std::size_t(char*, std::size_t)>* read;
  TXmlHandler* handler;
  TXmlHandler::TAttributes attributes;
};

std::size_t Read(void* c, char* buf, std::size_t max) {
  return (*static_cast<TParseContext*>(c)->read)(buf, max);
}

int Start(void* c, const char* uri, const char* name, const char* const* attrs) {
  auto* ctx = static_cast<TParseContext*>(c);
  ctx->attributes.clear();
  for (; attrs && attrs[0] && attrs[1]; attrs += 2)
    ctx->attributes.emplace_back(attrs[0], attrs[1]);
  return ctx->handler->Start(uri, name, ctx->attributes) ? 0 : 1;
}

void Text(void* c, const char* text, std::size_t n) {
  static_cast<TParseContext*>(c)->handler->Text(std::string_view(text, n));
}

int End(void* c) { return static_cast<TParseContext*>(c)->handler->End() ? 0 : 1; }

}  // namespace

int XmlValidate(const std::vector<std::string_view>& pieces, std::string_view schema,
                std::string& error) {
  const TXmlLibrary& lib = Library();
  if (!lib.validate) {
    error = lib.missing;
    return 3;
  }
  std::vector<const char*> data;
  std::vector<std::size_t> sizes;
  for (const std::string_view p : pieces) {
    data.push_back(p.data());
    sizes.push_back(p.size());
  }
  char message[1024] = {};
  const int r = lib.validate(data.data(), sizes.data(), data.size(), schema.data(), schema.size(),
                             message, sizeof message);
  if (r != 0) error = message;
  return r == 0 ? 0 : r == 3 ? 3 : 13;
}

bool XmlParse(const std::function<std::size_t(char*, std::size_t)>& read, TXmlHandler& handler,
              std::string& error, std::string_view schema) {
  const TXmlLibrary& lib = Library();
  if (!lib.parse) {
    error = lib.missing;
    return false;
  }
  TParseContext ctx{&read, &handler, {}};
  char message[1024] = {};
  const int r = lib.parse(Read, &ctx, Start, Text, End, &ctx, schema.data(), schema.size(), message,
                          sizeof message);
  error = message;
  return r == 0;
}

}  // namespace zel
