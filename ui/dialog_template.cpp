#include "ui/dialog_template.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>

#include "res/texts/control_descriptions.h"

namespace velunar {
namespace {

// The styles the window code knows. A name outside this set is a typing
// error in a template, and the template is refused.
const QSet<QString>& KnownStyles() {
  static const QSet<QString> kStyles = {
      "WS_POPUP",      "WS_CHILD",         "WS_VISIBLE",   "WS_DISABLED", "WS_CAPTION",
      "WS_SYSMENU",    "WS_BORDER",        "WS_TABSTOP",   "WS_GROUP",    "WS_VSCROLL",
      "WS_HSCROLL",    "DS_MODALFRAME",    "DS_SETFONT",   "DS_FIXEDSYS", "DS_CENTER",
      "ES_LEFT",       "ES_AUTOHSCROLL",   "LBS_NOTIFY",   "LBS_SORT",    "LBS_NOINTEGRALHEIGHT",
      "BS_PUSHBUTTON", "BS_DEFPUSHBUTTON", "BS_MULTILINE", "SS_LEFT",     "SS_NOPREFIX",
      "SS_ICON"};
  return kStyles;
}

const QSet<QString>& KnownExStyles() {
  static const QSet<QString> kExStyles = {"WS_EX_APPWINDOW"};
  return kExStyles;
}

struct CKindName {
  const char* name;
  EControlKind kind;
};
constexpr CKindName kKindNames[] = {
    {"edit", EControlKind::edit},
    {"list box", EControlKind::listBox},
    {"push button", EControlKind::pushButton},
    {"default push button", EControlKind::defPushButton},
    {"static text", EControlKind::staticText},
    {"static icon", EControlKind::staticIcon},
};

// Reads [x, y, width, height] of whole, non-negative sizes.
bool ReadRect(const QJsonValue& value, QRect& rect) {
  const QJsonArray a = value.toArray();
  if (a.size() != 4) return false;
  for (const QJsonValue& v : a) {
    if (!v.isDouble() || v.toDouble() != static_cast<double>(v.toInt())) return false;
  }
  if (a[2].toInt() < 0 || a[3].toInt() < 0) return false;
  rect = QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt());
  return true;
}

bool ReadStyles(const QJsonValue& value, const QSet<QString>& known, QStringList& styles,
                QString& error) {
  if (!value.isArray()) {
    error = "styles must be a list of names";
    return false;
  }
  for (const QJsonValue& v : value.toArray()) {
    const QString name = v.toString();
    if (!known.contains(name)) {
      error = QString("unknown style \"%1\"").arg(name);
      return false;
    }
    styles.append(name);
  }
  return true;
}

bool ReadInt(const QJsonObject& o, const char* key, int& n) {
  const QJsonValue v = o.value(QLatin1String(key));
  if (!v.isDouble() || v.toDouble() != static_cast<double>(v.toInt())) return false;
  n = v.toInt();
  return true;
}

bool ReadItem(const QJsonObject& o, CDialogItemTemplate& item, QString& error) {
  if (!ReadInt(o, "id", item.nID)) {
    error = "id must be a whole number";
    return false;
  }
  item.strIdentifier = o.value("identifier").toString();
  const QString kind = o.value("kind").toString();
  bool bKnownKind = false;
  for (const CKindName& k : kKindNames) {
    if (kind == QLatin1String(k.name)) {
      item.eKind = k.kind;
      bKnownKind = true;
    }
  }
  if (!bKnownKind) {
    error = QString("unknown kind \"%1\"").arg(kind);
    return false;
  }
  if (!o.value("caption").isString()) {
    error = "caption must be a text (empty for none)";
    return false;
  }
  item.strCaption = o.value("caption").toString();
  item.strAccessibleName = o.value("accessibleName").toString();
  if (const QJsonValue description = o.value("description"); !description.isUndefined()) {
    const QString key = description.toString();
    for (const texts::CControlDescription& d : texts::kControlDescriptions) {
      if (key == QLatin1String(d.key)) item.strDescription = QString::fromUtf8(d.text);
    }
    if (item.strDescription.isEmpty()) {
      error = QString("unknown description \"%1\"").arg(key);
      return false;
    }
  }
  if (!ReadRect(o.value("rect"), item.rcDlgUnits)) {
    error = "rect must be [x, y, width, height] in whole dialog units";
    return false;
  }
  return ReadStyles(o.value("styles"), KnownStyles(), item.styles, error);
}

}  // namespace

const CDialogItemTemplate* CDialogTemplate::FindItem(int nItemID) const {
  if (nItemID == -1) return nullptr;
  for (const CDialogItemTemplate& item : items) {
    if (item.nID == nItemID) return &item;
  }
  return nullptr;
}

bool ParseDialogTemplate(const QByteArray& json, CDialogTemplate& out, QString* pError) {
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

  if (!ReadInt(o, "id", t.nID) || t.nID <= 0) return fail("id must be a positive whole number");
  t.strIdentifier = o.value("identifier").toString();
  ReadInt(o, "language", t.nLanguage);
  if (!o.value("title").isString()) return fail("title must be a text");
  t.strTitle = o.value("title").toString();
  if (!ReadRect(o.value("rect"), t.rcDlgUnits) || t.rcDlgUnits.isEmpty()) {
    return fail("rect must be [x, y, width, height] with a non-empty size");
  }
  const QJsonObject font = o.value("font").toObject();
  t.strFontFace = font.value("face").toString();
  if (!ReadInt(font, "points", t.nFontPoints) || t.nFontPoints <= 0) {
    return fail("font.points must be a positive whole number");
  }
  ReadInt(font, "weight", t.nFontWeight);
  t.bFontItalic = font.value("italic").toBool();
  if (!ReadStyles(o.value("styles"), KnownStyles(), t.styles, error)) return fail(error);
  if (!ReadStyles(o.value("exStyles"), KnownExStyles(), t.exStyles, error)) return fail(error);

  const QJsonValue controls = o.value("controls");
  if (!controls.isArray()) return fail("controls must be a list");
  const QJsonArray list = controls.toArray();
  for (qsizetype i = 0; i < list.size(); ++i) {
    CDialogItemTemplate item;
    if (!list[i].isObject() || !ReadItem(list[i].toObject(), item, error)) {
      return fail(
          QString("controls[%1]: %2").arg(i).arg(error.isEmpty() ? "not an object" : error));
    }
    if (item.nID != -1 && t.FindItem(item.nID) != nullptr) {
      return fail(QString("controls[%1]: id %2 is used twice").arg(i).arg(item.nID));
    }
    t.items.push_back(std::move(item));
  }
  out = std::move(t);
  return true;
}

CDialogTemplate LoadDialogTemplate(int nIDTemplate) {
  // Two small files: reading each is cheaper than keeping a second table of
  // which id lives in which file.
  const QDir dir(":/dialogs");
  for (const QString& name : dir.entryList({"*.json"}, QDir::Files, QDir::Name)) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) continue;
    CDialogTemplate t;
    if (ParseDialogTemplate(file.readAll(), t) && t.nID == nIDTemplate) return t;
  }
  return CDialogTemplate();
}

}  // namespace velunar
