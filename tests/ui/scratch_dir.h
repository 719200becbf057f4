// A fresh empty directory per test, for the entry file: the window tests
// work in it, and the program under test is started in it.
#ifndef VELUNAR_TESTS_UI_SCRATCH_DIR_H_
#define VELUNAR_TESTS_UI_SCRATCH_DIR_H_

#include <string>
#include <vector>

namespace velunar::testing {

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
  // The names in the directory, sorted: a failed save leaves no other.
  std::vector<std::string> Names() const;
  // The entry file's bytes ("" when it does not exist).
  std::string ReadEntryFile() const;
  void WriteEntryFile(const std::string& bytes) const;

 private:
  std::string m_strPath;
  std::string m_strPrevious;
};

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_UI_SCRATCH_DIR_H_
