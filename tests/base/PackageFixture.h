// A data directory of its own for each test, with copies of the built data
// files, and settings that point there.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../TempDir.h"
#include "Cp1252.h"
#include "Proxies.h"
#include "Sha256.h"
#include "Signature.h"
#include "ZelPackage.h"

namespace zeltest {

namespace fs = std::filesystem;

inline const std::string kNewFile = "ZelObjects_2026_2.wbd";
inline const std::string kOldFile = "ZelObjects_2013_4.wbd";

class PackageFixture : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    root_ = dir_;
    data_ = root_ / "data";
    fs::create_directories(data_);
    fs::create_directories(root_ / "config");
    for (const std::string& f : {kNewFile, kOldFile}) {
      fs::copy_file(fs::path(ZEL_BUILT_DATA_DIR) / f, data_ / f);
      fs::copy_file(fs::path(ZEL_BUILT_DATA_DIR) / (f + ".sha256"), data_ / (f + ".sha256"));
      fs::copy_file(fs::path(ZEL_BUILT_DATA_DIR) / (f + ".sig"), data_ / (f + ".sig"));
    }
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
    ::setenv("ZELVARO_DATA_DIR", data_.c_str(), 1);
    ::unsetenv("ZELVARO_UPDATE_URL");
  }

  static zel::TZelPackageObject& Pkg() { return *zel::ZelPackage(); }

  // Writes bytes to a file in the data directory.
  void Put(const std::string& name, const std::string& bytes) {
    std::ofstream(data_ / name, std::ios::binary) << bytes;
  }
  // Copies a test module into the data directory under a data file's name,
  // with its digest and signature recorded as the build records them.
  void PutModule(const std::string& module, const std::string& name) {
    fs::copy_file(fs::path(ZEL_TEST_MODULE_DIR) / module, data_ / name);
    Record(name);
  }
  void Record(const std::string& name) {
    std::string reason;
    ASSERT_TRUE(zel::SignDataFile((data_ / name).string(), ZEL_SIGNING_KEY_FILE, reason)) << reason;
  }
  std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path root_;
  fs::path data_;
};

// Starts every test from the newest data file.
class ActivePackage : public PackageFixture {
 protected:
  void SetUp() override {
    PackageFixture::SetUp();
    Pkg().SetDataDirectory(data_.string());
    ASSERT_EQ(Pkg().Activate(kNewFile), 0) << zel::Cp1252ToUtf8(Pkg().GetLastError());
  }
};

// The account check proxy on the newest data file.
class ProbeFixture : public ActivePackage {
 protected:
  void SetUp() override {
    ActivePackage::SetUp();
    probe_ = zel::TProxyZelProbeObject::Create("ZelProbeObject");
    ASSERT_NE(probe_, nullptr);
  }
  std::unique_ptr<zel::TProxyZelProbeObject> probe_;
};

}  // namespace zeltest
