#include "ui/platform/qt/control_text.h"

namespace velunar {

QString StripMnemonic(const QString& caption) {
  QString plain;
  plain.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&') {
      ++i;  // "&&" keeps one '&'; "&x" keeps the x
      if (i == caption.size()) break;
    }
    plain.append(caption[i]);
  }
  return plain;
}

QChar MnemonicOf(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] != u'&') return caption[i + 1];
    ++i;  // skip the literal '&'
  }
  return QChar();
}

bool IsMnemonicKey(QChar mnemonic, const QString& typed) {
  if (mnemonic.isNull() || typed.size() != 1) return false;
  return mnemonic.toCaseFolded() == typed[0].toCaseFolded();
}

}  // namespace velunar
