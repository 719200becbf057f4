// The names a save gives its new file beside the entry file, for the
// instant before it takes the entry file's place:
// .<entry file>.<process id>.<n>.tmp. A dot-file, which Linux hides; the
// process and a count make each name a save's own, so that the leftover of
// a save cut short is known as one and a user's own file never is.
#ifndef VELUNAR_STORE_FILE_NEW_FILE_NAME_H_
#define VELUNAR_STORE_FILE_NEW_FILE_NAME_H_

#include <string>
#include <string_view>

namespace velunar {

// The `n`th name a save by process `pid` tries for the new file of the
// entry file named `base` (its last part alone).
std::string NewFileName(std::string_view base, unsigned long pid, int n);

// A pattern that matches every such name of `base`, and more: "*" for the
// process and the count, as Windows' FindFirstFileW takes it.
std::string NewFileNamePattern(std::string_view base);

// Whether `name` (a last part alone) is one of those names of `base`.
bool IsNewFileName(std::string_view name, std::string_view base);

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_NEW_FILE_NAME_H_
