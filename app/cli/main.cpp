#include <iostream>
#include <string>
#include <vector>

#include "ZelCli.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::cin.tie(nullptr);  // reading input never flushes the output
  std::vector<std::string> args(argv + 1, argv + argc);
  return zelcli::Run(args, std::cin, std::cout, std::cerr);
}
