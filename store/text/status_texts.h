// The three texts the program itself writes into the entry field, and the
// test by which the commands refuse them as data.
//
// They are Windows-1251 bytes, made from the UTF-8 below when the program is
// built, and compared byte for byte: a user can never add, change or search
// for one of them by accident.
#ifndef VELUNAR_STORE_TEXT_STATUS_TEXTS_H_
#define VELUNAR_STORE_TEXT_STATUS_TEXTS_H_

#include <string>
#include <string_view>

#include "store/text/cp1251.h"

namespace velunar {

// The entry field's text when the window opens.
inline constexpr std::string_view kHintText = kInCp1251<
    u8"Введите текст для поиска или добавления новых данных. Редактируйте текст для "
    u8"изменения выделенной строки из вышерасположенного поля.">;

// The count line is this prefix and a number. It ends with an em dash and
// one space.
inline constexpr std::string_view kCountPrefix = kInCp1251<u8"Количество показанных записей — ">;
static_assert(kCountPrefix.size() == 32 && kCountPrefix[30] == '\x97');

// The entry field's text after a Find that matched nothing.
inline constexpr std::string_view kNotFoundLine =
    kInCp1251<u8"Записи по введённому запросу не были найдены">;

// True when `s` equals the hint text, begins with the count prefix (whatever
// follows it), or equals the not-found line. The empty text is no status
// text.
bool IsStatusText(std::string_view s);

// The count prefix followed by `n` in decimal digits.
std::string CountLine(int n);

}  // namespace velunar

#endif  // VELUNAR_STORE_TEXT_STATUS_TEXTS_H_
