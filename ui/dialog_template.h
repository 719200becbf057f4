// Window templates: the table a dialog is built from.
//
// A template is data, compiled into the program from res/dialogs/<name>.json:
// the window's id, title, size in dialog units, font and styles, and its
// controls in template order, which is also the order of creation and of the
// Tab key. Each control has an id, an identifier, a kind, a caption, a
// rectangle in dialog units and its styles. Styles are kept by name
// ("WS_TABSTOP", "BS_MULTILINE", ...); only names from the known set are
// accepted, so a misspelt style is an error rather than silently ignored.
#ifndef VELUNAR_UI_DIALOG_TEMPLATE_H_
#define VELUNAR_UI_DIALOG_TEMPLATE_H_

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

namespace velunar {

enum class EControlKind {
  edit,           // "edit": a single-line edit field
  listBox,        // "list box"
  pushButton,     // "push button"
  defPushButton,  // "default push button": the one Enter presses
  staticText,     // "static text"
  staticIcon,     // "static icon": the caption names the icon resource
};

struct CDialogItemTemplate {
  int nID = -1;           // -1 for controls without an id of their own
  QString strIdentifier;  // "IDC_FIND"; empty for labels
  EControlKind eKind = EControlKind::staticText;
  QString strCaption;  // UTF-8 as shown, '&' marks the mnemonic
  // Name for assistive technology where the caption gives none; empty
  // means "derive it" (see dialog.h).
  QString strAccessibleName;
  // What the control does, as its tooltip and accessible description;
  // empty for none. The template names the text by its key in
  // res/texts/control_descriptions.h.
  QString strDescription;
  QRect rcDlgUnits;  // x, y, width, height in dialog units
  QStringList styles;

  bool HasStyle(const QString& style) const { return styles.contains(style); }
};

struct CDialogTemplate {
  int nID = 0;  // 0: no template (loading failed)
  QString strIdentifier;
  int nLanguage = 0;
  QString strTitle;
  QRect rcDlgUnits;     // position and size in dialog units
  QString strFontFace;  // the face the template names; a stand-in is used
  int nFontPoints = 8;
  int nFontWeight = 400;
  bool bFontItalic = false;
  QStringList styles;
  QStringList exStyles;
  std::vector<CDialogItemTemplate> items;  // template order

  bool IsValid() const { return nID != 0; }
  bool HasStyle(const QString& style) const { return styles.contains(style); }
  // The control with id `nID`, or nullptr. Ids of -1 are never looked up.
  const CDialogItemTemplate* FindItem(int nID) const;
};

// Parses one template from its JSON text. On success returns true and fills
// `out`; otherwise returns false, leaves `out` invalid and, when `pError` is
// given, says what is wrong ("controls[3]: unknown kind \"butten\"").
bool ParseDialogTemplate(const QByteArray& json, CDialogTemplate& out, QString* pError = nullptr);

// The compiled-in template with id `nIDTemplate` (IDD_ABOUTBOX,
// IDD_VELUNAR_DIALOG). Returns an invalid template when there is none or it
// does not parse; never throws anything but std::bad_alloc.
CDialogTemplate LoadDialogTemplate(int nIDTemplate);

}  // namespace velunar

#endif  // VELUNAR_UI_DIALOG_TEMPLATE_H_
