#include "ui/platform/qt/entry_edit.h"

#include "ui/platform/dialog_exchange.h"
#include "ui/platform/qt/dialog_window.h"

#include <QValidator>
#include <limits>

#include "store/text/cp1251.h"

namespace velunar {

// Checks every change of the field against the text before it. Only the
// inserted part is looked at, so that what the program put into the field
// (a lone CR, say) never stops the user from editing around it.
class CEntryValidator : public QValidator {
 public:
  explicit CEntryValidator(CEntryEdit* pEdit) : QValidator(pEdit), m_pEdit(pEdit) {}

  State validate(QString& input, int& pos) const override {
    if (m_pEdit->m_bProgramText) return Acceptable;
    const QString& old = m_pEdit->m_strAccepted;

    // The inserted part lies between what the change kept at the start and
    // at the end. A change that replaced the selection (or was made at the
    // caret) keeps what lay before and after it: that settles the part
    // even when the inserted text begins or ends like the text it replaced.
    // Else the caret, which stands right after an insertion, settles where
    // it ends; without either, the longest common start and end are taken.
    const qsizetype selStart = m_pEdit->m_nSelStart;
    const qsizetype selEnd = m_pEdit->m_nSelEnd;
    if (0 <= selStart && selStart <= selEnd && selEnd <= old.size() &&
        input.size() >= selStart + (old.size() - selEnd) &&
        QStringView(input).startsWith(QStringView(old).left(selStart)) &&
        QStringView(input).endsWith(QStringView(old).mid(selEnd))) {
      return Keep(input, pos, selStart, old.size() - selEnd);
    }
    qsizetype suffix = 0;
    if (pos >= 0 && pos <= input.size() && QStringView(old).endsWith(QStringView(input).mid(pos))) {
      suffix = input.size() - pos;
    } else {
      const qsizetype limit = std::min(old.size(), input.size());
      while (suffix < limit && old[old.size() - 1 - suffix] == input[input.size() - 1 - suffix]) {
        ++suffix;
      }
    }
    const qsizetype limit = std::min(input.size(), old.size()) - suffix;
    qsizetype prefix = 0;
    while (prefix < limit && old[prefix] == input[prefix]) ++prefix;
    return Keep(input, pos, prefix, suffix);
  }

 private:
  // Keeps of `input` what the field may hold of the part inserted between
  // its first `prefix` and last `suffix` characters.
  static State Keep(QString& input, int& pos, qsizetype prefix, qsizetype suffix) {
    const QStringView inserted = QStringView(input).mid(prefix, input.size() - prefix - suffix);
    const QString kept = FilterInsertedText(inserted);
    if (kept.size() == inserted.size()) return Acceptable;
    // Nothing of it may stay: the whole change is refused, so a selection
    // the typed character would have replaced stays as it was.
    if (kept.isEmpty()) return Invalid;
    input = input.left(prefix) + kept + input.right(suffix);
    pos = static_cast<int>(prefix + kept.size());
    return Acceptable;
  }

  CEntryEdit* m_pEdit;
};

CEntryEdit::CEntryEdit(QWidget* pParent) : QLineEdit(pParent) {
  // Qt's default limit of 32767 characters would cut a long entry, which
  // then would reach the file cut.
  setMaxLength(std::numeric_limits<int>::max());
  setValidator(new CEntryValidator(this));
  connect(this, &QLineEdit::textChanged, this,
          [this](const QString& text) { m_strAccepted = text; });
  // The selection a change replaces: the one before it, as these signals
  // come after the change has been checked.
  connect(this, &QLineEdit::selectionChanged, this, &CEntryEdit::NoteSelection);
  connect(this, &QLineEdit::cursorPositionChanged, this, &CEntryEdit::NoteSelection);
}

void CEntryEdit::NoteSelection() {
  if (hasSelectedText()) {
    m_nSelStart = selectionStart();
    m_nSelEnd = selectionEnd();
  } else {
    m_nSelStart = m_nSelEnd = cursorPosition();
  }
}

void CEntryEdit::SetEntryText(const QString& text) {
  m_bProgramText = true;
  setText(text);
  m_bProgramText = false;
  m_strAccepted = text;
  // The field shows a new text from its beginning, where a long entry has
  // its name; QLineEdit would leave the caret at the end.
  setCursorPosition(0);
  NoteSelection();
}

QString FilterInsertedText(QStringView inserted) {
  qsizetype end = inserted.indexOf(u'\n');
  if (end < 0) {
    end = inserted.size();
  } else if (end > 0 && inserted[end - 1] == u'\r') {
    --end;
  }
  QString kept;
  kept.reserve(end);
  for (qsizetype i = 0; i < end; ++i) {
    const char16_t c = inserted[i].unicode();
    if (c == 0x00 || c == 0x1A || !UnicodeToCp1251(c).has_value()) continue;
    kept.append(QChar(c));
  }
  return kept;
}

void DDX_Text(bool bSaveAndValidate, CDialog* pDlg, int nIDC, std::string& value) {
  auto* pEdit = qobject_cast<CEntryEdit*>(pDlg != nullptr ? pDlg->Window().GetDlgItem(nIDC) : nullptr);
  if (pEdit != nullptr) DDX_Text(bSaveAndValidate, pEdit, value);
}

void DDX_Text(bool bSaveAndValidate, CEntryEdit* pEdit, std::string& value) {
  if (bSaveAndValidate) {
    const QString text = pEdit->text();
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    // The field admits no character without a byte; should one slip in all
    // the same, it is left out rather than written as "?".
    for (const QChar c : text) {
      if (const auto b = UnicodeToCp1251(c.unicode())) bytes.push_back(static_cast<char>(*b));
    }
    value.swap(bytes);
    return;
  }
  const std::u16string decoded = DecodeCp1251(value);
  const QString text = QString::fromUtf16(decoded.data(), static_cast<qsizetype>(decoded.size()));
  // Re-showing the text the field holds must not move the user's caret.
  if (value.size() < 256 && pEdit->text() == text) return;
  pEdit->SetEntryText(text);
}

}  // namespace velunar
