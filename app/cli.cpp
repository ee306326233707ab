// quorventale-cli: the player's command-line tool.
#include "version.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kUsage[] =
    "Usage: quorventale-cli --version\n"
    "       quorventale-cli --help\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("quorventale-cli %s\n", qv::kVersion);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::fputs(kUsage, stderr);
  return 2;
}
