// What the user reads when the entry file fails: the reports of a failed
// read or save, and the start-up box of a file that cannot be loaded. Texts
// from res/texts/main_window_texts.h, UTF-8.
#ifndef VELUNAR_UI_FILE_REPORTS_H_
#define VELUNAR_UI_FILE_REPORTS_H_

#include <string>

namespace velunar {

class CFileException;
class CFileUnavailableException;

// The report of a failed read, write or close, with the file's full path.
// A read or a write that failed gets the line users know ("Disk full while
// accessing ...") and a second line in Russian naming the cause that the
// system gave; the reports the program adds itself say in Russian what
// happened and that nothing was written.
std::string FileErrorReport(const CFileException& e);

// The start-up box of a file that could not be loaded: in use by another
// copy of the program, unreadable and why, or missing and not creatable
// and why. The program then ends without touching the file.
std::string FileUnavailableReport(const CFileUnavailableException& e);

}  // namespace velunar

#endif  // VELUNAR_UI_FILE_REPORTS_H_
