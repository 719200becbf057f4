#include "ui/platform/qt/dialog_template.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <initializer_list>

#include "ui/platform/win_defs.h"

namespace velunar {
namespace {

// Each kind with the styles the dialog code applies to it (see the header).
// A style outside its kind's set is a typing error in a template, or one
// that would change nothing, and the template is refused.
struct CKindName {
  const char* name;
  EControlKind kind;
  std::initializer_list<const char*> styles;
};
const CKindName kKindNames[] = {
    {"edit", EControlKind::edit, {"WS_VISIBLE", "WS_DISABLED", "WS_TABSTOP", "WS_BORDER"}},
    {"list box",
     EControlKind::listBox,
     {"WS_VISIBLE", "WS_DISABLED", "WS_TABSTOP", "WS_BORDER", "WS_VSCROLL"}},
    {"push button",
     EControlKind::pushButton,
     {"WS_VISIBLE", "WS_DISABLED", "WS_TABSTOP", "BS_MULTILINE"}},
    {"default push button",
     EControlKind::defPushButton,
     {"WS_VISIBLE", "WS_DISABLED", "WS_TABSTOP", "BS_MULTILINE"}},
    {"static text", EControlKind::staticText, {"WS_VISIBLE", "WS_DISABLED", "SS_NOPREFIX"}},
    {"static icon", EControlKind::staticIcon, {"WS_VISIBLE", "WS_DISABLED"}},
};

// The ids every window knows without the program's table.
constexpr CResourceName kStandardNames[] = {{"IDOK", IDOK}, {"IDCANCEL", IDCANCEL}};

// The id `identifier` names, or IDC_STATIC when no table holds it.
int IdOf(const QString& identifier, std::span<const CResourceName> names) {
  for (const auto table : {std::span<const CResourceName>(kStandardNames), names}) {
    for (const CResourceName& name : table) {
      if (identifier == QLatin1String(name.identifier)) return name.nID;
    }
  }
  return IDC_STATIC;
}

// The first key of `o` outside `allowed`, or an empty text.
QString UnknownKey(const QJsonObject& o, std::initializer_list<const char*> allowed) {
  for (const QString& key : o.keys()) {
    bool bKnown = false;
    for (const char* a : allowed) bKnown = bKnown || key == QLatin1String(a);
    if (!bKnown) return key;
  }
  return QString();
}

bool ReadWhole(const QJsonValue& v, int& n) {
  if (!v.isDouble() || v.toDouble() != static_cast<double>(v.toInt())) return false;
  n = v.toInt();
  return true;
}

// Reads [x, y, width, height] of whole numbers with non-negative sizes.
bool ReadRect(const QJsonValue& value, QRect& rect) {
  const QJsonArray a = value.toArray();
  int n[4];
  if (a.size() != 4) return false;
  for (int i = 0; i < 4; ++i) {
    if (!ReadWhole(a[i], n[i])) return false;
  }
  if (n[2] < 0 || n[3] < 0) return false;
  rect = QRect(n[0], n[1], n[2], n[3]);
  return true;
}

bool ReadStyles(const QJsonValue& value, const CKindName& kind, QStringList& styles,
                QString& error) {
  if (!value.isArray()) {
    error = "styles must be a list of names";
    return false;
  }
  for (const QJsonValue& v : value.toArray()) {
    const QString name = v.toString();
    bool bApplies = false;
    for (const char* style : kind.styles) bApplies = bApplies || name == QLatin1String(style);
    if (!bApplies) {
      error =
          QString("style \"%1\" does not apply to kind \"%2\"").arg(name, QLatin1String(kind.name));
      return false;
    }
    styles.append(name);
  }
  return true;
}

bool ReadItem(const QJsonObject& o, std::span<const CResourceName> names, CDialogItemTemplate& item,
              QString& error) {
  if (const QString key = UnknownKey(
          o, {"identifier", "kind", "caption", "accessibleName", "description", "rect", "styles"});
      !key.isEmpty()) {
    error = QString("unknown key \"%1\"").arg(key);
    return false;
  }
  const QString kind = o.value("kind").toString();
  const CKindName* pKind = nullptr;
  for (const CKindName& k : kKindNames) {
    if (kind == QLatin1String(k.name)) pKind = &k;
  }
  if (pKind != nullptr) item.eKind = pKind->kind;
  if (pKind == nullptr) {
    error = QString("unknown kind \"%1\"").arg(kind);
    return false;
  }
  // Labels and icons are never addressed; every other control is.
  const bool bAddressed =
      item.eKind != EControlKind::staticText && item.eKind != EControlKind::staticIcon;
  item.strIdentifier = o.value("identifier").toString();
  item.nID = IdOf(item.strIdentifier, names);
  if (bAddressed && item.nID == IDC_STATIC) {
    error = QString("identifier \"%1\" names no id").arg(item.strIdentifier);
    return false;
  }
  if (!bAddressed && o.contains("identifier")) {
    error = "a label or icon has no identifier";
    return false;
  }
  if (!o.value("caption").isString()) {
    error = "caption must be a text (empty for none)";
    return false;
  }
  item.strCaption = o.value("caption").toString();
  if (item.eKind == EControlKind::staticIcon && !item.strCaption.isEmpty()) {
    error = "an icon shows the window's icon and has no caption";
    return false;
  }
  if ((item.eKind == EControlKind::edit || item.eKind == EControlKind::listBox) &&
      !item.strCaption.isEmpty()) {
    error = "an edit field or list takes its text from the program and has no caption";
    return false;
  }
  item.strAccessibleName = o.value("accessibleName").toString();
  item.strDescription = o.value("description").toString();
  if (!ReadRect(o.value("rect"), item.rcDlgUnits)) {
    error = "rect must be [x, y, width, height] in whole dialog units";
    return false;
  }
  return ReadStyles(o.value("styles"), *pKind, item.styles, error);
}

}  // namespace

bool ParseDialogTemplate(const QByteArray& json, std::span<const CResourceName> names,
                         CDialogTemplate& out, QString* pError) {
  out = CDialogTemplate();
  QString error;
  CDialogTemplate t;
  const auto fail = [&](const QString& why) {
    if (pError) *pError = why;
    return false;
  };

  QJsonParseError parseError;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
  if (doc.isNull()) return fail(parseError.errorString());
  if (!doc.isObject()) return fail("a template is one object");
  const QJsonObject o = doc.object();
  if (const QString key = UnknownKey(o, {"title", "size", "font", "controls"}); !key.isEmpty()) {
    return fail(QString("unknown key \"%1\"").arg(key));
  }

  if (!o.value("title").isString()) return fail("title must be a text");
  t.strTitle = o.value("title").toString();
  const QJsonArray size = o.value("size").toArray();
  int nWidth = 0;
  int nHeight = 0;
  if (size.size() != 2 || !ReadWhole(size[0], nWidth) || !ReadWhole(size[1], nHeight) ||
      nWidth <= 0 || nHeight <= 0) {
    return fail("size must be [width, height], both positive whole dialog units");
  }
  t.sizeDlgUnits = QSize(nWidth, nHeight);
  const QJsonObject font = o.value("font").toObject();
  if (const QString key = UnknownKey(font, {"points", "weight", "italic"}); !key.isEmpty()) {
    return fail(QString("font: unknown key \"%1\"").arg(key));
  }
  if (!ReadWhole(font.value("points"), t.nFontPoints) || t.nFontPoints <= 0) {
    return fail("font.points must be a positive whole number");
  }
  if (font.contains("weight") && !ReadWhole(font.value("weight"), t.nFontWeight)) {
    return fail("font.weight must be a whole number");
  }
  if (font.contains("italic") && !font.value("italic").isBool()) {
    return fail("font.italic must be true or false");
  }
  t.bFontItalic = font.value("italic").toBool();

  const QJsonValue controls = o.value("controls");
  if (!controls.isArray()) return fail("controls must be a list");
  const QJsonArray list = controls.toArray();
  for (qsizetype i = 0; i < list.size(); ++i) {
    CDialogItemTemplate item;
    if (!list[i].isObject() || !ReadItem(list[i].toObject(), names, item, error)) {
      return fail(
          QString("controls[%1]: %2").arg(i).arg(error.isEmpty() ? "not an object" : error));
    }
    for (const CDialogItemTemplate& earlier : t.items) {
      if (item.nID != IDC_STATIC && earlier.nID == item.nID) {
        return fail(QString("controls[%1]: %2 is used twice").arg(i).arg(item.strIdentifier));
      }
    }
    t.items.push_back(std::move(item));
  }
  out = std::move(t);
  return true;
}

CDialogTemplate LoadDialogTemplate(int nIDTemplate, std::span<const CResourceName> names) {
  for (const CResourceName& name : names) {
    if (name.nID != nIDTemplate) continue;
    QFile file(QStringLiteral(":/dialogs/%1.json").arg(QLatin1String(name.identifier)));
    CDialogTemplate t;
    if (file.open(QIODevice::ReadOnly) && ParseDialogTemplate(file.readAll(), names, t)) return t;
  }
  return CDialogTemplate();
}

}  // namespace velunar
