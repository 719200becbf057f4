// The dialog keyboard rules: Enter, Escape, mnemonics, Alt+Space, Alt+F4
// and F1, applied before any control sees the key.
#include <QKeyEvent>
#include <QPushButton>

#include "ui/platform/help.h"
#include "ui/platform/qt/control_text.h"
#include "ui/platform/qt/dialog_window.h"
#include "ui/platform/qt/russian_keys.h"

namespace velunar {
namespace {

bool IsDialogKey(const QKeyEvent* pEvent, Qt::Key key, Qt::KeyboardModifiers modifiers) {
  return pEvent->key() == key && (pEvent->modifiers() & ~Qt::KeypadModifier) == modifiers;
}

// The character the key gives: its text, or, where a platform gives none
// with Alt, the character of its key code.
QString TypedText(const QKeyEvent* pEvent) {
  if (!pEvent->text().isEmpty()) return pEvent->text();
  if (pEvent->key() > 0 && pEvent->key() <= 0xFFFF) {
    return QString(QChar(static_cast<char16_t>(pEvent->key())));
  }
  return {};
}

}  // namespace

QPushButton* CDialogWindow::MnemonicButton(const QKeyEvent* pEvent) const {
  const auto buttonFor = [this](const QString& typed) -> QPushButton* {
    for (QWidget* pControl : m_inTemplateOrder) {
      auto* pButton = qobject_cast<QPushButton*>(pControl);
      if (pButton != nullptr && pButton->isEnabled() && pButton->isVisible() &&
          IsMnemonicKey(MnemonicOf(pButton->text()), typed)) {
        return pButton;
      }
    }
    return nullptr;
  };
  // The letter the active layout gives names the button; where a platform
  // gives no text with Alt, the key code does (a letter's code is its
  // upper-case form).
  const QString typed = TypedText(pEvent);
  if (QPushButton* pButton = buttonFor(typed)) return pButton;
  // Else the letter the same key gives in the Russian layout, so that the
  // mnemonics work while a Latin layout is active.
  QChar russian = RussianLetterAtKey(pEvent->nativeScanCode());
  if (russian.isNull() && typed.size() == 1) russian = RussianLetterForLatin(typed[0]);
  return russian.isNull() ? nullptr : buttonFor(QString(russian));
}

bool CDialogWindow::IsAltMnemonic(const QKeyEvent* pEvent) const {
  const Qt::KeyboardModifiers modifiers = pEvent->modifiers() & ~Qt::KeypadModifier;
  return (modifiers == Qt::AltModifier || modifiers == (Qt::AltModifier | Qt::ShiftModifier)) &&
         MnemonicButton(pEvent) != nullptr;
}

bool CDialogWindow::eventFilter(QObject* pWatched, QEvent* pEvent) {
  // Qt would press a button by its mnemonic as a shortcut, with an animated
  // click that runs the command only some 100 ms later, after keys typed in
  // the meantime. Claiming the key here makes it an ordinary key press,
  // which the dialog keyboard rules turn into an immediate click.
  if (pEvent->type() == QEvent::ShortcutOverride &&
      IsAltMnemonic(static_cast<QKeyEvent*>(pEvent))) {
    pEvent->accept();
    return true;
  }
  if (pEvent->type() == QEvent::KeyPress) {
    auto* pWidget = qobject_cast<QWidget*>(pWatched);
    if (pWidget != nullptr && HandleDialogKey(pWidget, static_cast<QKeyEvent*>(pEvent))) {
      return true;
    }
  }
  return QDialog::eventFilter(pWatched, pEvent);
}

void CDialogWindow::keyPressEvent(QKeyEvent* pEvent) {
  if (HandleDialogKey(this, pEvent)) return;
  QDialog::keyPressEvent(pEvent);
}

bool CDialogWindow::HandleDialogKey(QWidget* pTarget, QKeyEvent* pEvent) {
  const Qt::KeyboardModifiers modifiers = pEvent->modifiers() & ~Qt::KeypadModifier;
  switch (pEvent->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      if (modifiers & Qt::AltModifier) return false;
      if (auto* pButton = qobject_cast<QPushButton*>(pTarget)) {
        pButton->click();
        return true;
      }
      QWidget* pDefault = GetDlgItem(m_nDefID);
      if (pDefault == nullptr || pDefault->isEnabled()) m_owner.OnCommand(m_nDefID, BN_CLICKED);
      return true;
    }
    case Qt::Key_Escape:
      reject();
      return true;
    case Qt::Key_F1:
      // Taken, so that nothing else acts on it.
      if (modifiers != Qt::NoModifier) return false;
      m_owner.Dispatch([this] { RequestHelp(m_owner); });
      return true;
    default:
      break;
  }
  if (IsDialogKey(pEvent, Qt::Key_Space, Qt::AltModifier)) {
    ShowSystemMenu(mapToGlobal(QPoint(0, 0)));
    return true;
  }
  if (IsDialogKey(pEvent, Qt::Key_F4, Qt::AltModifier)) {
    m_owner.OnSysCommand(SC_CLOSE);
    return true;
  }
  // Alt with a mnemonic letter presses its button, and so does the letter
  // alone while the focus is on a button (elsewhere the letter is text or
  // type-ahead). The press is immediate: the command has run before the
  // next key is handled, so keys act in the order they were typed.
  const bool bBare = modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier;
  if (IsAltMnemonic(pEvent) || (bBare && qobject_cast<QPushButton*>(pTarget) != nullptr)) {
    if (QPushButton* pButton = MnemonicButton(pEvent)) {
      pButton->click();
      return true;
    }
  }
  // Alt with a character is a mnemonic or nothing: it never types into a
  // field or searches a list, in any layout.
  const QString typed = TypedText(pEvent);
  return (modifiers & Qt::AltModifier) && !(modifiers & (Qt::ControlModifier | Qt::MetaModifier)) &&
         typed.size() == 1 && typed[0].isPrint();
}

}  // namespace velunar
