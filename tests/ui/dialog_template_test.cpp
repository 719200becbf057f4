#include "ui/dialog_template.h"

#include <gtest/gtest.h>

#include "ui/resource_ids.h"

namespace velunar {
namespace {

struct ControlRow {
  int nID;
  const char* identifier;
  EControlKind kind;
  const char* caption;
  int x, y, w, h;
  const char* style;  // one style the control must have
};

void ExpectControls(const CDialogTemplate& t, const ControlRow* rows, std::size_t count) {
  ASSERT_EQ(t.items.size(), count);
  for (std::size_t i = 0; i < count; ++i) {
    const ControlRow& r = rows[i];
    const CDialogItemTemplate& item = t.items[i];
    SCOPED_TRACE(testing::Message() << "control " << i + 1 << " " << r.identifier);
    EXPECT_EQ(item.nID, r.nID);
    EXPECT_EQ(item.strIdentifier, QString::fromUtf8(r.identifier));
    EXPECT_EQ(item.eKind, r.kind);
    EXPECT_EQ(item.strCaption, QString::fromUtf8(r.caption));
    EXPECT_EQ(item.rcDlgUnits, QRect(r.x, r.y, r.w, r.h));
    EXPECT_TRUE(item.HasStyle(r.style));
  }
}

TEST(DialogTemplate, MainWindowTemplateHoldsTheControlTableInOrder) {
  const CDialogTemplate t = LoadDialogTemplate(IDD_VELUNAR_DIALOG);
  ASSERT_TRUE(t.IsValid());
  EXPECT_EQ(t.nID, 102);
  EXPECT_EQ(t.strTitle, QString::fromUtf8("Велунар"));
  EXPECT_EQ(t.rcDlgUnits, QRect(0, 0, 673, 423));
  EXPECT_EQ(t.nFontPoints, 8);
  EXPECT_TRUE(t.HasStyle("WS_SYSMENU"));
  EXPECT_TRUE(t.HasStyle("DS_MODALFRAME"));
  EXPECT_TRUE(t.exStyles.contains("WS_EX_APPWINDOW"));

  using K = EControlKind;
  const ControlRow rows[] = {
      {1000, "IDC_ENTRY_EDIT", K::edit, "", 7, 382, 659, 12, "ES_AUTOHSCROLL"},
      {1009, "IDC_ENTRY_LIST", K::listBox, "", 7, 7, 659, 367, "LBS_NOINTEGRALHEIGHT"},
      {1004, "IDC_FIND", K::pushButton, "На&йти", 7, 401, 96, 16, "WS_TABSTOP"},
      {1010, "IDC_SHOW_ALL", K::pushButton, "Показать вс&ё", 105, 401, 96, 16, "WS_TABSTOP"},
      {1, "IDOK", K::defPushButton, "Доба&вить", 203, 401, 96, 16, "BS_DEFPUSHBUTTON"},
      {-1, "", K::staticText, "Изменить", 375, 401, 33, 8, "WS_GROUP"},
      {1006, "IDC_CHANGE", K::pushButton, "", 384, 410, 14, 7, "WS_TABSTOP"},
      {-1, "", K::staticText, "Удалить", 446, 401, 30, 8, "WS_GROUP"},
      {1007, "IDC_DELETE", K::pushButton, "", 457, 410, 6, 7, "WS_TABSTOP"},
      {1003, "IDC_SAVE", K::pushButton, "&Сохранить", 539, 401, 50, 16, "WS_TABSTOP"},
      {2, "IDCANCEL", K::pushButton, "В&ыход", 616, 401, 50, 16, "WS_TABSTOP"},
  };
  ExpectControls(t, rows, std::size(rows));
}

TEST(DialogTemplate, AboutBoxTemplateHoldsTheControlTableInOrder) {
  const CDialogTemplate t = LoadDialogTemplate(IDD_ABOUTBOX);
  ASSERT_TRUE(t.IsValid());
  EXPECT_EQ(t.nID, 100);
  EXPECT_EQ(t.strTitle, QString::fromUtf8("О программе \"Велунар\""));
  EXPECT_EQ(t.rcDlgUnits, QRect(0, 0, 185, 116));
  EXPECT_FALSE(t.HasStyle("WS_VISIBLE"));
  EXPECT_TRUE(t.exStyles.isEmpty());

  using K = EControlKind;
  const ControlRow rows[] = {
      {-1, "", K::staticIcon, "IDR_MAINFRAME", 7, 6, 21, 20, "SS_ICON"},
      {-1, "", K::staticText, "Велунар 2006.05 (1024x768)", 30, 15, 148, 8, "SS_NOPREFIX"},
      {1, "IDOK", K::defPushButton, "OK", 142, 83, 36, 26, "BS_DEFPUSHBUTTON"},
      {-1, "", K::staticText, "Если программа оказалась вам полезной,", 7, 32, 171, 8, "SS_LEFT"},
      {-1, "", K::staticText, "вы можете отблагодарить автора", 7, 41, 171, 8, "SS_LEFT"},
      {-1, "", K::staticText, "добровольным платежом любого размера.", 7, 51, 171, 8, "SS_LEFT"},
      {-1, "", K::staticText, "Как его отправить, написано на сайте", 7, 63, 161, 8, "SS_LEFT"},
      {-1, "", K::staticText, "автора программы.", 7, 70, 84, 8, "SS_LEFT"},
      {1011, "IDC_SITE_LINK", K::pushButton, "Бесплатные программы на сайте %SITE%", 7, 83, 127, 26,
       "BS_MULTILINE"},
  };
  ExpectControls(t, rows, std::size(rows));
}

TEST(DialogTemplate, UnknownIdGivesNoTemplate) {
  EXPECT_FALSE(LoadDialogTemplate(999).IsValid());
  EXPECT_FALSE(LoadDialogTemplate(0).IsValid());
}

TEST(DialogTemplate, ParseRefusesBrokenTemplatesAndSaysWhy) {
  // A valid template with one control; each row breaks one thing.
  const char* const kValid =
      R"({"id": 7, "title": "T", "rect": [0, 0, 10, 10], "font": {"points": 8},
          "styles": [], "exStyles": [],
          "controls": [{"id": 5, "kind": "push button", "caption": "X",
                        "rect": [1, 2, 3, 4], "styles": ["WS_TABSTOP"]}]})";
  CDialogTemplate t;
  ASSERT_TRUE(ParseDialogTemplate(kValid, t));
  ASSERT_EQ(t.items.size(), 1u);
  EXPECT_EQ(t.items[0].rcDlgUnits, QRect(1, 2, 3, 4));

  struct Row {
    const char* json;
    const char* errorPart;
  };
  const Row rows[] = {
      {"not json", ""},
      {"[1, 2]", "one object"},
      {R"({"id": 0, "title": "T", "rect": [0,0,1,1], "font": {"points": 8}, "styles": [],
           "exStyles": [], "controls": []})",
       "id"},
      {R"({"id": 7, "title": "T", "rect": [0,0,1], "font": {"points": 8}, "styles": [],
           "exStyles": [], "controls": []})",
       "rect"},
      {R"({"id": 7, "title": "T", "rect": [0,0,1,1], "font": {"points": 0}, "styles": [],
           "exStyles": [], "controls": []})",
       "font.points"},
      {R"({"id": 7, "title": "T", "rect": [0,0,1,1], "font": {"points": 8}, "styles": ["WS_POPUPP"],
           "exStyles": [], "controls": []})",
       "WS_POPUPP"},
      {R"({"id": 7, "title": "T", "rect": [0,0,1,1], "font": {"points": 8}, "styles": [],
           "exStyles": [], "controls": [{"id": 5, "kind": "butten", "caption": "X",
           "rect": [1,2,3,4], "styles": []}]})",
       "controls[0]: unknown kind \"butten\""},
      {R"({"id": 7, "title": "T", "rect": [0,0,1,1], "font": {"points": 8}, "styles": [],
           "exStyles": [], "controls": [{"id": 5, "kind": "edit", "rect": [1,2,3,4], "styles": []}]})",
       "caption"},
      {R"({"id": 7, "title": "T", "rect": [0,0,1,1], "font": {"points": 8}, "styles": [],
           "exStyles": [], "controls": [{"id": 5, "kind": "edit", "caption": "", "rect": [1,2,-3,4],
           "styles": []}]})",
       "controls[0]: rect"},
      {R"({"id": 7, "title": "T", "rect": [0,0,1,1], "font": {"points": 8}, "styles": [],
           "exStyles": [], "controls": [
             {"id": 5, "kind": "edit", "caption": "", "rect": [1,2,3,4], "styles": []},
             {"id": 5, "kind": "edit", "caption": "", "rect": [1,2,3,4], "styles": []}]})",
       "controls[1]: id 5 is used twice"},
      {R"({"id": 7, "title": "T", "rect": [0,0,1,1], "font": {"points": 8}, "styles": [],
           "exStyles": [], "controls": [{"id": 5, "kind": "push button", "caption": "",
           "description": "chnage", "rect": [1,2,3,4], "styles": []}]})",
       "controls[0]: unknown description \"chnage\""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.json);
    CDialogTemplate out;
    QString error;
    EXPECT_FALSE(ParseDialogTemplate(r.json, out, &error));
    EXPECT_FALSE(out.IsValid());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.contains(QString::fromUtf8(r.errorPart))) << error.toStdString();
  }
}

}  // namespace
}  // namespace velunar
