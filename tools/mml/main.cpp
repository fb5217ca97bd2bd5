// zorsav-mml <in.mml> <out.mid>: compiles one score to a Standard MIDI File.
#include <iostream>

#include "file_compiler.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: zorsav-mml <in.mml> <out.mid>\n";
    return 1;
  }
  return zorsav::mml::CompileFile(argv[1], argv[2], std::cerr);
}
