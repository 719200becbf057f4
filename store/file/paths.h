// Paths of the entry file: its full path for the reports, the file a save
// replaces, and the parts of a path.
//
// Paths are UTF-8 strings on every system, with '/' between their parts
// where the system has no other separator of its own.
#ifndef VELUNAR_STORE_FILE_PATHS_H_
#define VELUNAR_STORE_FILE_PATHS_H_

#include <string>

#include "store/file/file_error.h"

namespace velunar {

class IFileSystem;

// `name` joined to the current directory, as the reports show it; the name
// as given when it is absolute, or when the current directory has no name
// any more (it was removed). Never throws but std::bad_alloc.
std::string FullPathOf(IFileSystem& fs, const std::string& name);

// The file a save of `name` replaces: where its symbolic links finally
// lead (a link that leads nowhere gives the path where its file would be),
// so that a save leaves the links as they are. Fails (ELOOP) on a loop of
// links, or when a link cannot be read.
CFileStatus ReplacedPath(IFileSystem& fs, const std::string& name, std::string& path);

// The directory part of `path` ("." when there is none) and the last part.
std::string DirName(const std::string& path);
std::string BaseName(const std::string& path);

}  // namespace velunar

#endif  // VELUNAR_STORE_FILE_PATHS_H_
