// Window templates: the table a dialog is built from.
//
// A template is data, compiled into the program as :/dialogs/<name>.json,
// where <name> is the identifier of the window ("IDD_ABOUTBOX"). It gives
// the window's title, its size in dialog units and the size, weight and
// slant of its font, then its controls in template order, which is also the
// order of creation and of the Tab key. Each control has an identifier (none
// for labels and icons), a kind, a caption, a rectangle in dialog units and
// its styles. Every key and every style a template may hold changes the
// window; anything else is refused, so a misspelt or unapplied setting is an
// error rather than silently ignored. The styles, and the kinds they apply
// to:
//
//   WS_VISIBLE   every kind: shown (without it the control starts hidden)
//   WS_DISABLED  every kind: starts disabled
//   WS_TABSTOP   edit fields, lists, buttons: reached with Tab (without it
//                only a click focuses the control)
//   WS_BORDER    edit fields, lists: with a frame
//   WS_VSCROLL   lists: with a vertical scroll bar
//   BS_MULTILINE buttons: the caption wraps
//   SS_NOPREFIX  static texts: '&' shows as it stands
//
// Edit fields and lists have an empty caption (their text is the
// program's), icons too (they show the window's icon).
//
// Identifiers become numbers through the program's table of names
// (CResourceName); IDOK and IDCANCEL are known without it.
#ifndef VELUNAR_UI_PLATFORM_QT_DIALOG_TEMPLATE_H_
#define VELUNAR_UI_PLATFORM_QT_DIALOG_TEMPLATE_H_

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <span>
#include <vector>

#include "ui/platform/resource_name.h"

namespace velunar {

enum class EControlKind {
  edit,           // "edit": a single-line edit field
  listBox,        // "list box"
  pushButton,     // "push button"
  defPushButton,  // "default push button": the one Enter presses
  staticText,     // "static text"
  staticIcon,     // "static icon": the window's icon
};

struct CDialogItemTemplate {
  int nID = -1;           // IDC_STATIC (-1) for labels and icons
  QString strIdentifier;  // "IDC_FIND"; empty for labels and icons
  EControlKind eKind = EControlKind::staticText;
  QString strCaption;  // UTF-8 as shown, '&' marks the mnemonic
  // Name for assistive technology where the caption gives none; empty
  // means "derive it" (see dialog.h).
  QString strAccessibleName;
  // What the control does, as its tooltip and accessible description;
  // empty for none.
  QString strDescription;
  QRect rcDlgUnits;  // x, y, width, height in dialog units
  QStringList styles;

  bool HasStyle(const QString& style) const { return styles.contains(style); }
};

struct CDialogTemplate {
  QString strTitle;
  QSize sizeDlgUnits;  // the window's inside, in dialog units
  int nFontPoints = 8;
  int nFontWeight = 400;
  bool bFontItalic = false;
  std::vector<CDialogItemTemplate> items;  // template order

  bool IsValid() const { return !sizeDlgUnits.isEmpty(); }
};

// Parses one template from its JSON text, naming its controls' ids from
// `names`. On success returns true and fills `out`; otherwise returns false,
// leaves `out` invalid and, when `pError` is given, says what is wrong
// ("controls[3]: unknown kind \"butten\"").
bool ParseDialogTemplate(const QByteArray& json, std::span<const CResourceName> names,
                         CDialogTemplate& out, QString* pError = nullptr);

// The compiled-in template of the window `nIDTemplate`, which `names` names.
// Returns an invalid template when there is none or it does not parse;
// never throws anything but std::bad_alloc.
CDialogTemplate LoadDialogTemplate(int nIDTemplate, std::span<const CResourceName> names);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_DIALOG_TEMPLATE_H_
