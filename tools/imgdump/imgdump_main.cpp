// pcshop_imgdump FILE: prints the module image in FILE (a raw image or an
// executable that embeds one) for people.

#include <cstdio>
#include <iostream>

#include "tools/imgdump/image_dump.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pcshop_imgdump FILE\n");
    return 2;
  }
  return pcshop::imgdump::RunImgdump(argv[1], std::cout, std::cerr);
}
