// The online BIC test: how many entries of SWIFT's public BIC search match a
// BIC, read from the answer page of a form post. Registered as
// "ZelSwiftObject". The service address is a setting ($ZELVARO_BIC_URL or
// BicSearchUrl= in the config file).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ZelBaseObject.h"

namespace zel {

class TZelSwiftObject : public TZelBaseObject {
 public:
  static constexpr const char* kClassName = "ZelSwiftObject";
  static constexpr const char* kDefaultUrl = "http://www2.swift.com/biconline/index.cfm";

  std::string ClassName() const override { return kClassName; }
  static std::unique_ptr<TZelBaseObject> Thaw(TByteStream& Stream);
  void Freeze(TByteStream& Stream) override;

  // A proxy is used when the host is not empty and the port not 0.
  void SetProxy(const std::string& ProxyHost, std::int32_t ProxyPort) override;
  void SetTimeout(std::int32_t Seconds) override;
  // The number of hits; 0 unknown, -1 none, -200 no connection, -300 an
  // answer without the markers.
  std::int32_t TestBic(const std::string& Bic) override;
  std::string GetErrorMessage(std::int32_t Code) override;
  std::string GetLastError() override { return LastError; }

 private:
  std::string ProxyHost;
  std::int32_t ProxyPort = 0;
  std::int32_t Timeout = 0;  // milliseconds; 0 = the client's default
  std::string LastError;
};

// The count of an answer page: 0 unknown, -1 none, -300 without markers.
std::int32_t BicHitsOfPage(const std::string& page);

}  // namespace zel
