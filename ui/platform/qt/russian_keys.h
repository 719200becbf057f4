// The letter a key of a PC keyboard gives in the Russian layout (ЙЦУКЕН),
// so that the window's mnemonics, all Cyrillic, work while a Latin layout
// is active: Alt and the key of «с» is Alt+с in either layout.
#ifndef VELUNAR_UI_PLATFORM_QT_RUSSIAN_KEYS_H_
#define VELUNAR_UI_PLATFORM_QT_RUSSIAN_KEYS_H_

#include <QChar>
#include <cstdint>

namespace velunar {

// By the key's place: `nKeycode` is its XKB keycode (the evdev code plus
// 8), which Qt gives as the native scan code on X11 and Wayland. A null
// QChar for a key without a Russian letter, or 0.
QChar RussianLetterAtKey(std::uint32_t nKeycode);

// Where the key's place is unknown: by the letter the US layout gives on
// that key (either case). A null QChar for any other character.
QChar RussianLetterForLatin(QChar latin);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_RUSSIAN_KEYS_H_
