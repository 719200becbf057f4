// The main window's texts as the user reads them, written out by hand (UTF-8)
// so that the window tests check the program's texts against them, not
// against themselves.
#ifndef VELUNAR_TESTS_UI_WINDOW_TEXTS_H_
#define VELUNAR_TESTS_UI_WINDOW_TEXTS_H_

namespace velunar::testing {

constexpr char kHint[] =
    "Введите текст для поиска или добавления новых данных. Редактируйте текст для изменения "
    "выделенной строки из вышерасположенного поля.";
constexpr char kCountPrefix[] = "Количество показанных записей — ";
constexpr char kNotFound[] = "Записи по введённому запросу не были найдены";

constexpr char kAddStatusMsg[] = "Вы пытаетесь добавить строку подсказки! Зачем?";
constexpr char kAddEmptyMsg[] = "Невозможно добавить пустую строку!";
constexpr char kChangeMsg[] =
    "Редактируйте выделенную строку в нижнем поле!\n"
    "Выделенная в верхнем поле строка должна быть показана в нижнем поле.";
constexpr char kDeleteMsg[] =
    "Выделите в верхнем поле строку перед её удалением!\n"
    "Выделенная строка должна быть показана в нижнем поле.";
constexpr char kFindMsg[] = "Введите текст в нижнее поле для поиска нужной строки!";

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_UI_WINDOW_TEXTS_H_
