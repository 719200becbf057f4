#include "ui/platform/qt/dialog_template.h"

#include <gtest/gtest.h>

#include "tests/ui/platform/qt/test_dialog_ids.h"
#include "ui/platform/win_defs.h"

namespace velunar {
namespace {

using namespace testing;  // the test ids

TEST(DialogTemplate, TestTemplateHoldsTheControlTableInOrder) {
  const CDialogTemplate t = LoadDialogTemplate(IDD_TEST_DIALOG, kTestNames);
  ASSERT_TRUE(t.IsValid());
  EXPECT_EQ(t.strTitle, QString::fromUtf8("Проверка окна"));
  EXPECT_EQ(t.sizeDlgUnits, QSize(200, 150));
  EXPECT_EQ(t.nFontPoints, 10);
  EXPECT_EQ(t.nFontWeight, 700);
  EXPECT_TRUE(t.bFontItalic);

  using K = EControlKind;
  struct Row {
    int nID;
    const char* identifier;
    EControlKind kind;
    const char* caption;
    const char* accessibleName;
    const char* description;
    QRect rect;
    QStringList styles;
  };
  const QString V = "WS_VISIBLE", T = "WS_TABSTOP";
  const Row rows[] = {
      {IDC_TEST_EDIT,
       "IDC_TEST_EDIT",
       K::edit,
       "",
       "Поле",
       "",
       {5, 5, 120, 12},
       {V, "WS_BORDER", T}},
      {IDC_TEST_LIST,
       "IDC_TEST_LIST",
       K::listBox,
       "",
       "Список",
       "",
       {5, 20, 120, 60},
       {V, "WS_BORDER", "WS_VSCROLL", T}},
      {IDC_STATIC, "", K::staticText, "Ко&пии:", "", "", {130, 5, 60, 8}, {V}},
      {IDC_TEST_BARE_LIST, "IDC_TEST_BARE_LIST", K::listBox, "", "", "", {130, 15, 60, 40}, {V, T}},
      {IDC_TEST_PLAIN_EDIT, "IDC_TEST_PLAIN_EDIT", K::edit, "", "", "", {130, 60, 60, 12}, {V}},
      {IDOK, "IDOK", K::defPushButton, "&Добавить", "", "", {5, 90, 50, 14}, {V, T}},
      {IDC_TEST_FIND, "IDC_TEST_FIND", K::pushButton, "На&йти", "", "", {60, 90, 50, 14}, {V, T}},
      {IDC_STATIC, "", K::staticText, "Изменить", "", "", {115, 84, 30, 8}, {V}},
      {IDC_TEST_TINY,
       "IDC_TEST_TINY",
       K::pushButton,
       "",
       "",
       "Заменить запись текстом из поля",
       {120, 94, 10, 6},
       {V, T}},
      {IDC_TEST_OFF,
       "IDC_TEST_OFF",
       K::pushButton,
       "&Выкл",
       "",
       "",
       {135, 90, 30, 14},
       {V, "WS_DISABLED", T}},
      {IDC_TEST_HIDDEN,
       "IDC_TEST_HIDDEN",
       K::pushButton,
       "&Скрытая",
       "",
       "",
       {170, 90, 25, 14},
       {T}},
      {IDC_TEST_NO_TAB, "IDC_TEST_NO_TAB", K::pushButton, "&Мимо", "", "", {5, 110, 40, 14}, {V}},
      {IDC_TEST_WRAP,
       "IDC_TEST_WRAP",
       K::pushButton,
       "Надпись, которая не помещается в одну строку кнопки",
       "",
       "",
       {50, 110, 60, 26},
       {V, T, "BS_MULTILINE"}},
      {IDC_STATIC, "", K::staticText, "A && B & C", "", "", {115, 110, 50, 8}, {V, "SS_NOPREFIX"}},
      {IDC_STATIC, "", K::staticIcon, "", "", "", {170, 110, 21, 20}, {V}},
      {IDCANCEL, "IDCANCEL", K::pushButton, "В&ыход", "", "", {115, 130, 40, 14}, {V, T}},
  };
  ASSERT_EQ(t.items.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const Row& r = rows[i];
    const CDialogItemTemplate& item = t.items[i];
    SCOPED_TRACE(::testing::Message() << "control " << i << " " << r.caption);
    EXPECT_EQ(item.nID, r.nID);
    EXPECT_EQ(item.strIdentifier, QString::fromUtf8(r.identifier));
    EXPECT_EQ(item.eKind, r.kind);
    EXPECT_EQ(item.strCaption, QString::fromUtf8(r.caption));
    EXPECT_EQ(item.strAccessibleName, QString::fromUtf8(r.accessibleName));
    EXPECT_EQ(item.strDescription, QString::fromUtf8(r.description));
    EXPECT_EQ(item.rcDlgUnits, r.rect);
    EXPECT_EQ(item.styles, r.styles);
  }
}

TEST(DialogTemplate, OnlyANamedCompiledInTemplateLoads) {
  EXPECT_TRUE(LoadDialogTemplate(IDD_TEST_BOX, kTestNames).IsValid());
  EXPECT_FALSE(LoadDialogTemplate(IDD_TEST_MISSING, kTestNames).IsValid());  // no such file
  EXPECT_FALSE(LoadDialogTemplate(999, kTestNames).IsValid());               // no such name
  EXPECT_FALSE(LoadDialogTemplate(IDD_TEST_BOX, {}).IsValid());  // the table does not name it
}

// A template around `controls`, a JSON list's inside.
QByteArray WithControls(const char* controls) {
  return QByteArray(R"({"title": "T", "size": [10, 10], "font": {"points": 8}, "controls": [)") +
         controls + "]}";
}

TEST(DialogTemplate, OkAndCancelAreKnownWithoutATableAndTheFontHasDefaults) {
  CDialogTemplate t;
  ASSERT_TRUE(ParseDialogTemplate(
      WithControls(
          R"({"identifier": "IDOK", "kind": "push button", "caption": "", "rect": [1, 2, 3, 4], "styles": []},
                     {"identifier": "IDCANCEL", "kind": "push button", "caption": "", "rect": [0, 0, 0, 0], "styles": []})"),
      {}, t));
  ASSERT_EQ(t.items.size(), 2u);
  EXPECT_EQ(t.items[0].nID, IDOK);
  EXPECT_EQ(t.items[1].nID, IDCANCEL);
  EXPECT_EQ(t.nFontWeight, 400);
  EXPECT_FALSE(t.bFontItalic);
}

TEST(DialogTemplate, ParseRefusesBrokenTemplatesAndSaysWhy) {
  struct Row {
    QByteArray json;
    const char* errorPart;
  };
  const QByteArray button =
      R"({"identifier": "IDC_TEST_FIND", "kind": "push button", "caption": "", "rect": [1, 2, 3, 4], "styles": []})";
  const Row rows[] = {
      {"not json", ""},
      {"[1, 2]", "one object"},
      // Keys of an older format, and misspelt ones, are refused.
      {R"({"id": 7, "title": "T", "size": [1, 1], "font": {"points": 8}, "controls": []})",
       "unknown key \"id\""},
      {R"({"title": "T", "size": [1, 1], "font": {"points": 8}, "styles": [], "controls": []})",
       "unknown key \"styles\""},
      {R"({"title": 5, "size": [1, 1], "font": {"points": 8}, "controls": []})", "title"},
      {R"({"title": "T", "size": [1], "font": {"points": 8}, "controls": []})", "size"},
      {R"({"title": "T", "size": [0, 1], "font": {"points": 8}, "controls": []})", "size"},
      {R"({"title": "T", "size": [1.5, 1], "font": {"points": 8}, "controls": []})", "size"},
      {R"({"title": "T", "size": [1, 1], "font": {"points": 8, "face": "MS Sans Serif"}, "controls": []})",
       "font: unknown key \"face\""},
      {R"({"title": "T", "size": [1, 1], "font": {"points": 0}, "controls": []})", "font.points"},
      {R"({"title": "T", "size": [1, 1], "font": {}, "controls": []})", "font.points"},
      {R"({"title": "T", "size": [1, 1], "font": {"points": 8, "weight": "bold"}, "controls": []})",
       "font.weight"},
      {R"({"title": "T", "size": [1, 1], "font": {"points": 8, "italic": "yes"}, "controls": []})",
       "font.italic"},
      {R"({"title": "T", "size": [1, 1], "font": {"points": 8}})", "controls"},
      {WithControls("5"), "controls[0]: not an object"},
      {WithControls(R"({"kind": "butten", "caption": "", "rect": [1, 2, 3, 4], "styles": []})"),
       "controls[0]: unknown kind \"butten\""},
      {WithControls(
           R"({"id": 5, "kind": "edit", "caption": "", "rect": [1, 2, 3, 4], "styles": []})"),
       "controls[0]: unknown key \"id\""},
      {WithControls(
           R"({"identifier": "IDC_NOWHERE", "kind": "edit", "caption": "", "rect": [1, 2, 3, 4], "styles": []})"),
       "controls[0]: identifier \"IDC_NOWHERE\" names no id"},
      {WithControls(R"({"kind": "edit", "caption": "", "rect": [1, 2, 3, 4], "styles": []})"),
       "controls[0]: identifier \"\" names no id"},
      {WithControls(
           R"({"identifier": "IDC_TEST_FIND", "kind": "static text", "caption": "", "rect": [1, 2, 3, 4], "styles": []})"),
       "controls[0]: a label or icon has no identifier"},
      {WithControls(
           R"({"identifier": "IDC_TEST_EDIT", "kind": "edit", "rect": [1, 2, 3, 4], "styles": []})"),
       "controls[0]: caption"},
      {WithControls(
           R"({"kind": "static icon", "caption": "IDR_MAINFRAME", "rect": [1, 2, 3, 4], "styles": []})"),
       "controls[0]: an icon shows the window's icon"},
      {WithControls(
           R"({"identifier": "IDC_TEST_EDIT", "kind": "edit", "caption": "", "rect": [1, 2, -3, 4], "styles": []})"),
       "controls[0]: rect"},
      {WithControls(
           R"({"identifier": "IDC_TEST_EDIT", "kind": "edit", "caption": "", "rect": [1, 2, 3], "styles": []})"),
       "controls[0]: rect"},
      {WithControls(
           R"({"identifier": "IDC_TEST_EDIT", "kind": "edit", "caption": "", "rect": [1, 2, 3, 4], "styles": "WS_VISIBLE"})"),
       "controls[0]: styles must be a list"},
      // Styles nothing applies are refused, not dropped.
      {WithControls(
           R"({"kind": "static text", "caption": "", "rect": [1, 2, 3, 4], "styles": ["SS_LEFT"]})"),
       "controls[0]: style \"SS_LEFT\" does not apply to kind \"static text\""},
      {WithControls(
           R"({"identifier": "IDC_TEST_LIST", "kind": "list box", "caption": "", "rect": [1, 2, 3, 4], "styles": ["LBS_SORT"]})"),
       "controls[0]: style \"LBS_SORT\" does not apply to kind \"list box\""},
      // And so are styles that exist but change nothing on this kind.
      {WithControls(
           R"({"kind": "static text", "caption": "", "rect": [1, 2, 3, 4], "styles": ["WS_TABSTOP"]})"),
       "controls[0]: style \"WS_TABSTOP\" does not apply to kind \"static text\""},
      {WithControls(
           R"({"identifier": "IDC_TEST_EDIT", "kind": "edit", "caption": "", "rect": [1, 2, 3, 4], "styles": ["BS_MULTILINE"]})"),
       "controls[0]: style \"BS_MULTILINE\" does not apply to kind \"edit\""},
      {WithControls(
           R"({"identifier": "IDC_TEST_FIND", "kind": "push button", "caption": "", "rect": [1, 2, 3, 4], "styles": ["WS_VSCROLL"]})"),
       "controls[0]: style \"WS_VSCROLL\" does not apply to kind \"push button\""},
      {WithControls(
           R"({"identifier": "IDC_TEST_FIND", "kind": "push button", "caption": "", "rect": [1, 2, 3, 4], "styles": ["SS_NOPREFIX"]})"),
       "controls[0]: style \"SS_NOPREFIX\" does not apply to kind \"push button\""},
      {WithControls(
           R"({"kind": "static icon", "caption": "", "rect": [1, 2, 3, 4], "styles": ["WS_BORDER"]})"),
       "controls[0]: style \"WS_BORDER\" does not apply to kind \"static icon\""},
      // A caption nothing would show.
      {WithControls(
           R"({"identifier": "IDC_TEST_EDIT", "kind": "edit", "caption": "x", "rect": [1, 2, 3, 4], "styles": []})"),
       "controls[0]: an edit field or list takes its text from the program"},
      {WithControls(
           R"({"identifier": "IDC_TEST_LIST", "kind": "list box", "caption": "x", "rect": [1, 2, 3, 4], "styles": []})"),
       "controls[0]: an edit field or list takes its text from the program"},
      {WithControls((button + "," + button).constData()),
       "controls[1]: IDC_TEST_FIND is used twice"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.json.toStdString());
    // A template parsed before is no longer there after a failure.
    CDialogTemplate out;
    ASSERT_TRUE(ParseDialogTemplate(WithControls(button.constData()), kTestNames, out));
    QString error;
    EXPECT_FALSE(ParseDialogTemplate(r.json, kTestNames, out, &error));
    EXPECT_FALSE(out.IsValid());
    EXPECT_TRUE(out.items.empty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.contains(QString::fromUtf8(r.errorPart))) << error.toStdString();
  }
}

}  // namespace
}  // namespace velunar
