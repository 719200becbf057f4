// The three texts the program itself writes into the entry field, and the
// test by which the commands refuse them as data.
//
// They are Windows-1251 bytes, compared byte for byte: a user can never
// add, change or search for one of them by accident.
#ifndef VELUNAR_STORE_STATUS_TEXTS_H_
#define VELUNAR_STORE_STATUS_TEXTS_H_

#include <string>
#include <string_view>

namespace velunar {

// "Введите текст для поиска или добавления новых данных. Редактируйте текст
// для изменения выделенной строки из вышерасположенного поля."
inline constexpr std::string_view kHintText =
    "\xC2\xE2\xE5\xE4\xE8\xF2\xE5 \xF2\xE5\xEA\xF1\xF2 \xE4\xEB\xFF \xEF\xEE\xE8\xF1\xEA\xE0 "
    "\xE8\xEB\xE8 \xE4\xEE\xE1\xE0\xE2\xEB\xE5\xED\xE8\xFF \xED\xEE\xE2\xFB\xF5 "
    "\xE4\xE0\xED\xED\xFB\xF5. \xD0\xE5\xE4\xE0\xEA\xF2\xE8\xF0\xF3\xE9\xF2\xE5 "
    "\xF2\xE5\xEA\xF1\xF2 \xE4\xEB\xFF \xE8\xE7\xEC\xE5\xED\xE5\xED\xE8\xFF "
    "\xE2\xFB\xE4\xE5\xEB\xE5\xED\xED\xEE\xE9 \xF1\xF2\xF0\xEE\xEA\xE8 \xE8\xE7 "
    "\xE2\xFB\xF8\xE5\xF0\xE0\xF1\xEF\xEE\xEB\xEE\xE6\xE5\xED\xED\xEE\xE3\xEE "
    "\xEF\xEE\xEB\xFF.";

// "Количество показанных записей — ": 32 bytes, ending with the em dash
// (0x97) and one space. The count line is this prefix and a number.
inline constexpr std::string_view kCountPrefix =
    "\xCA\xEE\xEB\xE8\xF7\xE5\xF1\xF2\xE2\xEE \xEF\xEE\xEA\xE0\xE7\xE0\xED\xED\xFB\xF5 "
    "\xE7\xE0\xEF\xE8\xF1\xE5\xE9 \x97 ";

// "Записи по введённому запросу не были найдены"
inline constexpr std::string_view kNotFoundLine =
    "\xC7\xE0\xEF\xE8\xF1\xE8 \xEF\xEE \xE2\xE2\xE5\xE4\xB8\xED\xED\xEE\xEC\xF3 "
    "\xE7\xE0\xEF\xF0\xEE\xF1\xF3 \xED\xE5 \xE1\xFB\xEB\xE8 \xED\xE0\xE9\xE4\xE5\xED\xFB";

// True when `s` equals the hint text, begins with the count prefix (whatever
// follows it), or equals the not-found line. The empty text is no status
// text.
bool IsStatusText(std::string_view s);

// The count prefix followed by `n` in decimal digits.
std::string CountLine(int n);

}  // namespace velunar

#endif  // VELUNAR_STORE_STATUS_TEXTS_H_
