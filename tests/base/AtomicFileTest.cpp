// Files that appear whole or not at all.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../TempDir.h"
#include "AtomicFile.h"

namespace {

namespace fs = std::filesystem;

class AtomicFile : public zeltest::TempDirTest {
 protected:
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  static std::string Read(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  int Entries() const { return static_cast<int>(std::distance(fs::directory_iterator(dir_), {})); }
};

TEST_F(AtomicFile, AKilledWriterLeavesTheOldFileAndNothingElse) {
  std::ofstream(Path("t")) << "alt";
  const pid_t child = ::fork();
  if (child == 0) {
    zel::TAtomicFile f(Path("t"));
    std::string reason;
    if (!f.Open(reason)) ::_exit(1);
    f.Write(std::string(1 << 20, 'x'));
    ::_exit(0);  // as if killed: no commit, no destructor
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Read(Path("t")), "alt");
  EXPECT_EQ(Entries(), 1);
}

TEST_F(AtomicFile, CommitReplacesDiscardKeeps) {
  std::ofstream(Path("t")) << "alt";
  std::string reason;
  {
    zel::TAtomicFile f(Path("t"));
    ASSERT_TRUE(f.Open(reason));
    f.Write("neu");
  }  // gone without a commit
  EXPECT_EQ(Read(Path("t")), "alt");
  ASSERT_TRUE(zel::WriteFileAtomically(Path("t"), "neu", reason));
  EXPECT_EQ(Read(Path("t")), "neu");
  EXPECT_EQ(Entries(), 1);
  EXPECT_EQ(fs::status(Path("t")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);
  EXPECT_FALSE(zel::WriteFileAtomically(Path("fehlt/t"), "x", reason));
}

TEST_F(AtomicFile, OutputTargets) {
  std::ofstream(Path("in")) << "x";
  fs::create_symlink(Path("in"), Path("link"));
  fs::create_directory(Path("dir"));
  fs::create_hard_link(Path("in"), Path("hard"));
  std::string reason;
  EXPECT_TRUE(zel::IsSafeOutputTarget(Path("neu"), Path("in"), reason));
  EXPECT_TRUE(zel::IsSafeOutputTarget(Path("in"), "", reason));
  EXPECT_FALSE(zel::IsSafeOutputTarget(Path("link"), "", reason));
  EXPECT_FALSE(zel::IsSafeOutputTarget(Path("dir"), "", reason));
  EXPECT_FALSE(zel::IsSafeOutputTarget(Path("in"), Path("in"), reason));
  EXPECT_FALSE(zel::IsSafeOutputTarget(Path("hard"), Path("in"), reason));  // the same file
  EXPECT_EQ(zel::PathWithExtension("a/b.dta", ".out"), "a/b.out");
  EXPECT_EQ(zel::PathWithExtension("a/.dta", ".out"), "a/.dta.out");
  EXPECT_EQ(zel::PathWithExtension("a.d/b", ".out"), "a.d/b.out");
}

}  // namespace
