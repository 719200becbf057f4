// The reports of the entry file, each cause once: the texts, written out by
// hand, that the user reads for each failure the file layer reports.
#include "ui/file_reports.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "store/file/file_error.h"

namespace velunar {
namespace {

constexpr char kPath[] = "/home/anna/velunar.txt";

TEST(FileReports, EachCauseHasItsText) {
  struct Row {
    CFileException::ECause cause;
    int error;
    std::string want;
  };
  const std::string path = kPath;
  const Row rows[] = {
      // The two reports users know keep their first line; the second names
      // the cause.
      {CFileException::diskFull, ENOSPC,
       "Disk full while accessing " + path + ".\nПричина: нет места на диске."},
      {CFileException::diskFull, EDQUOT,
       "Disk full while accessing " + path + ".\nПричина: нет места на диске."},
      {CFileException::diskFull, EROFS,
       "Disk full while accessing " + path + ".\nПричина: файл или каталог только для чтения."},
      {CFileException::diskFull, EACCES,
       "Disk full while accessing " + path + ".\nПричина: нет прав на запись."},
      {CFileException::diskFull, EIO,
       "Disk full while accessing " + path + ".\nПричина: ошибка ввода-вывода."},
      {CFileException::diskFull, EXDEV,
       "Disk full while accessing " + path + ".\nПричина: системная ошибка EXDEV."},
      {CFileException::generic, EIO,
       "An unknown error occurred while accessing " + path + ".\nПричина: ошибка ввода-вывода."},
      {CFileException::generic, EACCES,
       "An unknown error occurred while accessing " + path + ".\nПричина: нет прав на чтение."},
      // The reports the program adds itself.
      {CFileException::notOpenedForWriting, EROFS,
       "Файл " + path +
           " не удаётся открыть для записи. Ничего не записано.\n"
           "Причина: файл или каталог только для чтения."},
      {CFileException::heldByAnotherCopy, EWOULDBLOCK,
       "Другая программа заменила файл " + path +
           ", а новый файл занят другой запущенной копией программы. Ничего не записано."},
      {CFileException::lockedByAnotherProgram, EBUSY,
       "Файл " + path + " заблокирован другой программой. Ничего не записано."},
      {CFileException::notRegularFile, EISDIR,
       "На месте файла " + path + " теперь каталог или особый файл. Ничего не записано."},
      {CFileException::unreadable, EIO,
       "Другая программа изменила файл " + path +
           ", и изменённый файл не удаётся прочитать. Ничего не записано.\n"
           "Причина: ошибка ввода-вывода."},
      {CFileException::changedOutside, ESTALE,
       "Другая программа всё время изменяет файл " + path +
           ", и сохранить его не удалось: пока он сохранялся, она каждый раз меняла его снова. "
           "Ничего не записано.\n"
           "Все записи остаются в окне. Сохраните ещё раз, когда другая программа закончит."},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.want);
    EXPECT_EQ(FileErrorReport(CFileException(r.cause, r.error, path)), r.want);
  }
}

}  // namespace
}  // namespace velunar
