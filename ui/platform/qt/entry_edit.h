// The entry field on Qt (its exchange with memory: dialog_exchange.h).
//
// The field holds only what the entry file can keep: characters that
// Windows-1251 has a byte for, without line feed, NUL or 0x1A. Typing a
// character outside that set does nothing; a paste keeps the pasted text's
// first line and drops the characters that have no byte; nothing is ever
// turned into "?". Texts the program shows are taken as they are: an entry
// with a lone CR survives being shown and read back. The field has no length
// limit of its own.
//
// The program must set the text through DDX_Text or SetEntryText; QLineEdit's
// setText would treat the text as typed by the user.
#ifndef VELUNAR_UI_PLATFORM_QT_ENTRY_EDIT_H_
#define VELUNAR_UI_PLATFORM_QT_ENTRY_EDIT_H_

#include <QLineEdit>
#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace velunar {

class CEntryEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit CEntryEdit(QWidget* pParent = nullptr);

  // Replaces the text as the program, not the user: nothing is filtered.
  // The caret goes to position 0 with nothing selected, so the field shows
  // the text from its beginning.
  void SetEntryText(const QString& text);

 private:
  friend class CEntryValidator;

  void NoteSelection();

  QString m_strAccepted;  // the text after the last accepted change
  // The selection (or the caret, as an empty one) after that change.
  qsizetype m_nSelStart = 0;
  qsizetype m_nSelEnd = 0;
  bool m_bProgramText = false;
};

// The exchange of dialog_exchange.h on one field.
void DDX_Text(bool bSaveAndValidate, CEntryEdit* pEdit, std::string& value);

// What the field keeps of a text the user inserts (types, pastes, drops):
// the part before the first line feed (and without the CR right before it),
// without characters that have no Windows-1251 byte, NUL and 0x1A.
QString FilterInsertedText(QStringView inserted);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_ENTRY_EDIT_H_
