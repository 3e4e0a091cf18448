// Registration of a domain class with the package object's registry: the
// class object (virtual constructor and class-level Thaw) and a registrar
// that registers once when the module is loaded and unregisters when it is
// unloaded.
#pragma once

#include <memory>

#include "ZelBaseObject.h"
#include "ZelPackage.h"

namespace zel {

// T provides a default constructor and
// static std::unique_ptr<TZelBaseObject> Thaw(TByteStream&).
template <class T>
class TZelClassOf final : public TZelClass {
 public:
  std::unique_ptr<TZelBaseObject> Create() const override { return std::make_unique<T>(); }
  std::unique_ptr<TZelBaseObject> Thaw(TByteStream& Stream) const override {
    return T::Thaw(Stream);
  }
};

template <class T>
class TZelRegistrar {
 public:
  explicit TZelRegistrar(const char* name) : fName(name) {
    if (Entries()++ == 0) ZelPackage()->RegisterZelClass(fName, &Class());
  }
  ~TZelRegistrar() {
    if (--Entries() == 0) ZelPackage()->UnregisterZelClass(fName);
  }
  TZelRegistrar(const TZelRegistrar&) = delete;
  TZelRegistrar& operator=(const TZelRegistrar&) = delete;

  static const TZelClass& Class() {
    static const TZelClassOf<T> cls;
    return cls;
  }

 private:
  static int& Entries() {
    static int entries = 0;
    return entries;
  }
  const char* fName;
};

}  // namespace zel
