// Runs a command-line tool of the build and collects its exit status and
// messages.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace zeltest {

struct ToolResult {
  int status;
  std::string output;
};

inline ToolResult RunTool(const std::string& commandLine) {
  ToolResult r{-1, {}};
  FILE* p = ::popen((commandLine + " 2>&1").c_str(), "r");
  if (!p) return r;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) r.output += buf;
  r.status = WEXITSTATUS(::pclose(p));
  return r;
}

}  // namespace zeltest
