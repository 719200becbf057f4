// The main window's own texts, exactly as the user reads them: the status
// texts of the entry field, the warnings of the commands, the reports of
// the entry file and the questions. The captions of the controls are the
// template's (res/dialogs/). UTF-8; the status texts become Windows-1251
// bytes when the program is built (store/text/status_texts.h), the others
// are converted where they are shown. %1, %2 stand for what the code puts
// in.
#ifndef VELUNAR_RES_TEXTS_MAIN_WINDOW_TEXTS_H_
#define VELUNAR_RES_TEXTS_MAIN_WINDOW_TEXTS_H_

namespace velunar::texts {

// --- The status texts: the entry field's own lines, which no command takes
// as data.

// The entry field's text when the window opens.
inline constexpr char kHintText[] =
    "Введите текст для поиска или добавления новых данных. Редактируйте текст для "
    "изменения выделенной строки из вышерасположенного поля.";
// The count line is this prefix and a number. It ends with an em dash and
// one space.
inline constexpr char kCountPrefix[] = "Количество показанных записей — ";
// The entry field's text after a Find that matched nothing.
inline constexpr char kNotFoundLine[] = "Записи по введённому запросу не были найдены";

// --- The commands' answers to wrong input.

// Caption of every box that answers wrong input.
inline constexpr char kWarningCaption[] = "Внимание!";

inline constexpr char kAddStatusText[] = "Вы пытаетесь добавить строку подсказки! Зачем?";
inline constexpr char kAddEmpty[] = "Невозможно добавить пустую строку!";
inline constexpr char kChangeWithoutText[] =
    "Редактируйте выделенную строку в нижнем поле!\n"
    "Выделенная в верхнем поле строка должна быть показана в нижнем поле.";
inline constexpr char kDeleteWithoutSelection[] =
    "Выделите в верхнем поле строку перед её удалением!\n"
    "Выделенная строка должна быть показана в нижнем поле.";
inline constexpr char kFindWithoutText[] = "Введите текст в нижнее поле для поиска нужной строки!";

// Selecting an entry longer than the entry field can hold; %1 is its length
// in bytes.
inline constexpr char kEntryTooLongForField[] =
    "Эта строка слишком длинная для нижнего поля (%1 байт), поэтому оно её не показывает.\n"
    "Строка остаётся в списке и в файле без изменений.";

// The About item of the system menu.
inline constexpr char kAboutMenuItem[] = "&О программе";

// --- The entry file could not be loaded at start; %1 is its full path.
// Caption: the application title.

inline constexpr char kFileInUse[] =
    "Файл %1 занят другой запущенной копией программы.\n"
    "Программа закрывается, не изменяя его.";
// %2 is one of the reasons below.
inline constexpr char kFileUnreadable[] =
    "Файл %1 не может быть прочитан: %2.\n"
    "Программа закрывается, не изменяя его.";
inline constexpr char kFileCannotBeCreated[] =
    "Файла %1 нет, и создать его не удаётся: %2.\n"
    "Программа закрывается.";

// --- Reports of a failed save or read; %1 is the file's full path.
// Caption: the application title.

// The two reports users know by their first line, which stays English; the
// line after it names the cause (kCauseLine).
inline constexpr char kReadFailed[] = "An unknown error occurred while accessing %1.";
inline constexpr char kWriteFailed[] = "Disk full while accessing %1.";
// The reports of a save that wrote nothing.
inline constexpr char kNotOpenedForWriting[] =
    "Файл %1 не удаётся открыть для записи. Ничего не записано.";
inline constexpr char kReplacedAndHeld[] =
    "Другая программа заменила файл %1, а новый файл занят другой запущенной копией "
    "программы. Ничего не записано.";
inline constexpr char kLockedByAnotherProgram[] =
    "Файл %1 заблокирован другой программой. Ничего не записано.";
inline constexpr char kNoLongerRegularFile[] =
    "На месте файла %1 теперь каталог или особый файл. Ничего не записано.";
inline constexpr char kChangedUnreadable[] =
    "Другая программа изменила файл %1, и изменённый файл не удаётся прочитать. "
    "Ничего не записано.";
inline constexpr char kChangedWhileSaving[] =
    "Другая программа всё время изменяет файл %1, и сохранить его не удалось: пока он "
    "сохранялся, она каждый раз меняла его снова. Ничего не записано.\n"
    "Все записи остаются в окне. Сохраните ещё раз, когда другая программа закончит.";

// The second line of a report; %1 is one of the causes below.
inline constexpr char kCauseLine[] = "Причина: %1.";

// --- Causes, from the system's error: the second line of a report.
inline constexpr char kCauseDiskFull[] = "нет места на диске";
inline constexpr char kCauseReadOnly[] = "файл или каталог только для чтения";
inline constexpr char kCauseNoWritePermission[] = "нет прав на запись";
inline constexpr char kCauseNoReadPermission[] = "нет прав на чтение";
inline constexpr char kCauseIoError[] = "ошибка ввода-вывода";
inline constexpr char kCauseMissing[] = "файл или каталог не найден";
// Any other error; %1 is its symbolic name, such as EXDEV.
inline constexpr char kCauseOther[] = "системная ошибка %1";

// --- Reasons of the start-up boxes (%2 above).
inline constexpr char kReasonDirectory[] = "это каталог";
inline constexpr char kReasonNotRegularFile[] = "это не обычный файл";
inline constexpr char kReasonNoPermission[] = "нет прав на его чтение";
inline constexpr char kReasonLockedByAnotherProgram[] = "его заблокировала другая программа";
inline constexpr char kReasonNoFolderPermission[] = "нет прав на запись в каталог";
inline constexpr char kReasonReadOnlyFolder[] = "каталог только для чтения";
inline constexpr char kReasonNoFolder[] = "каталога больше нет";

// --- Before a save, when another program's change would take out most of
// the window's entries; %1 is the file's full path, %2 how many would go,
// %3 how many the window holds. Caption: the application title; buttons
// «Да» and «Нет», «Нет» the default.
inline constexpr char kManyRemovedOutside[] =
    "Другая программа изменила файл %1: в нём больше нет %2 из %3 записей, которые есть в "
    "окне.\n"
    "Удалить эти записи и из окна? Если ответить «Нет», они останутся и будут сохранены в "
    "файл вместе с изменениями другой программы.";

// --- After a failed Exit, when something would be lost; %1 is the file's
// full path. Caption: the application title; buttons «Да» and «Нет», «Нет»
// the default.
inline constexpr char kCloseWithoutSaving[] =
    "Записи не сохранены в файл %1.\n"
    "Закрыть программу без сохранения? Всё, что изменено после последнего сохранения, "
    "будет потеряно.";

}  // namespace velunar::texts

#endif  // VELUNAR_RES_TEXTS_MAIN_WINDOW_TEXTS_H_
