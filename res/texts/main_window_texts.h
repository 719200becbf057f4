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

// IDS_ABOUTBOX: the About item of the system menu.
inline constexpr char kAboutMenuItem[] = "&О программе";

// The entry file could not be loaded at start; %1 is its full path.
inline constexpr char kFileUnavailable[] =
    "Файл %1 занят другой копией программы или не может быть прочитан.\n"
    "Программа закрывается, не изменяя его.";

}  // namespace velunar::texts

#endif  // VELUNAR_RES_TEXTS_MAIN_WINDOW_TEXTS_H_
