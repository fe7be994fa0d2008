// Checks a product folder the way setup.exe would before its first page: every
// required install item must be there. Used by the build of build/dist.
#include <cstdio>

#include "setup/installation.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: check_dist FOLDER\\\n");
    return 2;
  }
  lumadir::variant folder(argv[1]);
  if (folder.length() > 0 && folder.text().data()[folder.length() - 1] != '\\') folder.append('\\');
  lumadir::installation items;
  lumadir::variant missing("");
  if (!items.build_list(folder, missing)) {
    std::fprintf(stderr, "check_dist: %s is missing from %s\n", missing.c_str(), folder.c_str());
    return 1;
  }
  std::printf("check_dist: %d install items, %llu bytes\n", static_cast<int>(items.item_count()),
              static_cast<unsigned long long>(items.total_size()));
  return 0;
}
