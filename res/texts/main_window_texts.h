// Every text the main window shows besides its template's captions, exactly
// as the user sees it. UTF-8 here; the window converts where it must.
#ifndef VELUNAR_RES_TEXTS_MAIN_WINDOW_TEXTS_H_
#define VELUNAR_RES_TEXTS_MAIN_WINDOW_TEXTS_H_

namespace velunar::texts {

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

// The About item of the system menu.
inline constexpr char kAboutMenuItem[] = "&О программе";

// The entry file could not be loaded at start; %1 is its full path.
inline constexpr char kFileInUse[] =
    "Файл %1 занят другой запущенной копией программы.\n"
    "Программа закрывается, не изменяя его.";
// %2 is one of the reasons below, or the system's text for the error.
inline constexpr char kFileUnreadable[] =
    "Файл %1 не может быть прочитан: %2.\n"
    "Программа закрывается, не изменяя его.";
inline constexpr char kReasonDirectory[] = "это каталог";
inline constexpr char kReasonNotRegularFile[] = "это не обычный файл";
inline constexpr char kReasonNoPermission[] = "нет прав на его чтение";
inline constexpr char kReasonLockedByAnotherProgram[] = "его заблокировала другая программа";

// After a failed Exit, when something would be lost; %1 is the file's full
// path. Caption: the application title; buttons «Да» and «Нет», «Нет» the
// default.
inline constexpr char kCloseWithoutSaving[] =
    "Записи не сохранены в файл %1.\n"
    "Закрыть программу без сохранения? Всё, что изменено после последнего сохранения, "
    "будет потеряно.";

// Selecting an entry longer than the entry field can hold; %1 is its length
// in bytes.
inline constexpr char kEntryTooLongForField[] =
    "Эта строка слишком длинная для нижнего поля (%1 байт), поэтому оно её не показывает.\n"
    "Строка остаётся в списке и в файле без изменений.";

}  // namespace velunar::texts

#endif  // VELUNAR_RES_TEXTS_MAIN_WINDOW_TEXTS_H_
