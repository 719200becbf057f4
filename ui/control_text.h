// Captions of controls: the '&' mnemonic marker and the wrapping of a
// caption over several lines of a multi-line button.
//
// In a caption, '&' marks the next character as the mnemonic (shown
// underlined, pressed with Alt); "&&" stands for one literal '&'.
#ifndef VELUNAR_UI_CONTROL_TEXT_H_
#define VELUNAR_UI_CONTROL_TEXT_H_

#include <QChar>
#include <QString>

class QFontMetrics;

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

// `caption` broken into lines, at spaces, so that each line (measured
// without its '&' markers) is at most `nWidth` pixels wide in `fm`. Lines are
// joined with line feeds; a word wider than `nWidth` stands on a line of its
// own. Spaces at the breaks are dropped.
QString WrapCaption(const QString& caption, const QFontMetrics& fm, int nWidth);

}  // namespace velunar

#endif  // VELUNAR_UI_CONTROL_TEXT_H_
