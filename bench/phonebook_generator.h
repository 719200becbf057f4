// Deterministic, realistic phone-book files for the benchmarks and the
// window's start-up measurements: Russian names with phone numbers,
// addresses and notes, in Windows-1251, one entry per line with CR LF.
// The same count and seed always give the same bytes.
#ifndef VELUNAR_BENCH_PHONEBOOK_GENERATOR_H_
#define VELUNAR_BENCH_PHONEBOOK_GENERATOR_H_

#include <string>
#include <vector>

namespace velunar::bench {

// `count` entries, about 48 bytes each on average: mostly "Surname Name
// Patronymic, phone", some addresses and notes, some in upper or lower case,
// some with ё, a few long lines, and a few exact repeats.
std::vector<std::string> GenerateEntries(int count, unsigned seed = 20061);

// The entries as the bytes of an entry file.
std::string GenerateFile(int count, unsigned seed = 20061);

// Writes GenerateFile(count) to `path`, generating each size only once per
// process. Returns false when the file cannot be written.
bool WriteGeneratedFile(const std::string& path, int count);

}  // namespace velunar::bench

#endif  // VELUNAR_BENCH_PHONEBOOK_GENERATOR_H_
