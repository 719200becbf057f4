// Writes a generated phone-book file: make_phonebook COUNT FILE [SEED].
// For trying the window on a realistic file and for start-up measurements.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/phonebook_generator.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_phonebook COUNT FILE [SEED]\n");
    return 2;
  }
  int count = std::atoi(argv[1]);
  unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 20061u;
  std::string bytes = velunar::bench::GenerateFile(count, seed);
  std::ofstream out(argv[2], std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}
