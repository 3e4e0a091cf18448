// An open file descriptor that closes with its owner.
#pragma once

#include <unistd.h>

namespace zel {

struct TUniqueFd {
  int fd;
  explicit TUniqueFd(int f) : fd(f) {}
  ~TUniqueFd() {
    if (fd >= 0) ::close(fd);
  }
  TUniqueFd(const TUniqueFd&) = delete;
  TUniqueFd& operator=(const TUniqueFd&) = delete;
};

}  // namespace zel
