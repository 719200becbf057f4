// A fresh empty directory per test, for the entry file: the store's tests of
// the entry file, the window tests and the tests of the built program work
// in it. The standard library alone, so that every test program can use it.
#ifndef VELUNAR_TESTS_SUPPORT_SCRATCH_DIR_H_
#define VELUNAR_TESTS_SUPPORT_SCRATCH_DIR_H_

#include <string>
#include <vector>

namespace velunar::testing {

// The bytes of the file at `path` ("" when it does not exist).
std::string ReadBytes(const std::string& path);
// Makes `bytes` the whole content of the file at `path`.
void WriteBytes(const std::string& path, const std::string& bytes);
// The names in the directory `dir`, sorted: a save must leave nothing
// behind but what was there.
std::vector<std::string> NamesIn(const std::string& dir);

// A fresh empty directory that becomes the current directory for the life
// of the object, and is removed with everything in it afterwards (even
// when a test took its permissions away).
class CScratchDir {
 public:
  CScratchDir();
  ~CScratchDir();
  CScratchDir(const CScratchDir&) = delete;
  CScratchDir& operator=(const CScratchDir&) = delete;

  // The directory's full path, without symbolic links: as the program
  // names the entry file in its reports.
  const std::string& Path() const { return m_strPath; }
  // Path()/velunar.txt.
  std::string EntryFilePath() const { return m_strPath + "/velunar.txt"; }
  std::vector<std::string> Names() const { return NamesIn(m_strPath); }
  // The entry file's bytes ("" when it does not exist).
  std::string ReadEntryFile() const { return ReadBytes(EntryFilePath()); }
  void WriteEntryFile(const std::string& bytes) const { WriteBytes(EntryFilePath(), bytes); }

 private:
  std::string m_strPath;
  std::string m_strPrevious;
};

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_SUPPORT_SCRATCH_DIR_H_
