// Captions of controls and their '&' mnemonic marker.
//
// In a caption, '&' marks the next character as the mnemonic (shown
// underlined, pressed with Alt); "&&" stands for one literal '&'.
#ifndef VELUNAR_UI_PLATFORM_QT_CONTROL_TEXT_H_
#define VELUNAR_UI_PLATFORM_QT_CONTROL_TEXT_H_

#include <QChar>
#include <QString>

namespace velunar {

// The caption as read aloud or shown without underlines: "На&йти" ->
// "Найти", "A && B" -> "A & B".
QString StripMnemonic(const QString& caption);

// The mnemonic character of `caption`, or a null QChar when it has none.
// "Показать вс&ё" -> 'ё'. A trailing '&' marks nothing.
QChar MnemonicOf(const QString& caption);

// Whether the typed text `typed` (one character) names the mnemonic `mnemonic`,
// ignoring letter case, Cyrillic and Latin alike.
bool IsMnemonicKey(QChar mnemonic, const QString& typed);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_CONTROL_TEXT_H_
