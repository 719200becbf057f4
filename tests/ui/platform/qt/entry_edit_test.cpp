#include "ui/platform/qt/entry_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <string>

#include "tests/ui/window_driver.h"

namespace velunar {
namespace {

using testing::U;

// Types one key with its text into the field, as the keyboard would.
void Type(CEntryEdit& edit, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
  QApplication::sendEvent(&edit, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
  QApplication::sendEvent(&edit, &release);
}

class EntryEditTest : public ::testing::Test {
 protected:
  void Show(std::string value) { DDX_Text(false, &m_edit, value); }
  std::string Read() {
    std::string value = "previous";
    DDX_Text(true, &m_edit, value);
    return value;
  }

  CEntryEdit m_edit;
};

TEST_F(EntryEditTest, ReadGivesWindows1251Bytes) {
  struct Row {
    const char* shown;
    std::string bytes;
  };
  const Row rows[] = {
      {"Иванов 123", "\xC8\xE2\xE0\xED\xEE\xE2 123"},
      {"ёЁ№", "\xB8\xA8\xB9"},
      {"  spaces kept  ", "  spaces kept  "},
      {"", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.shown);
    m_edit.SetEntryText(U(r.shown));
    EXPECT_EQ(Read(), r.bytes);
  }
}

TEST_F(EntryEditTest, ShowDecodesWindows1251Bytes) {
  Show("\xCF\xE5\xF2\xF0\xEE\xE2 \xB9 5");
  EXPECT_EQ(m_edit.text(), U("Петров № 5"));
}

TEST_F(EntryEditTest, ShowingTheSameShortTextKeepsCaretAndSelection) {
  Show("\xCF\xE5\xF2\xF0\xEE\xE2");  // Петров
  m_edit.setSelection(1, 2);
  Show("\xCF\xE5\xF2\xF0\xEE\xE2");
  EXPECT_EQ(m_edit.selectedText(), U("ет"));
  EXPECT_EQ(m_edit.selectionStart(), 1);
}

TEST_F(EntryEditTest, ShowingAnotherTextReplacesIt) {
  Show("abc");
  m_edit.setSelection(0, 2);
  Show("abd");
  EXPECT_EQ(m_edit.text(), "abd");
  EXPECT_FALSE(m_edit.hasSelectedText());
}

TEST_F(EntryEditTest, ANewTextIsShownFromItsBeginning) {
  // A field narrower than the texts, on the screen, so that it scrolls.
  m_edit.resize(120, m_edit.sizeHint().height());
  m_edit.show();
  struct Row {
    const char* name;
    std::string previous;  // shown before, with the caret at its end
    std::string value;
  };
  const std::string longName(300, '\xE0');  // а...: past 256 bytes, the same-text rule is off
  const Row rows[] = {
      {"short text after a long one", std::string(80, 'x'), "abc"},
      {"long text after a short one", "abc", std::string(80, 'y')},
      {"long text after another", std::string(80, 'x'), std::string(90, 'z')},
      {"the same text of 256 bytes or more", longName, longName},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Show(r.previous);
    m_edit.end(false);
    Show(r.value);
    EXPECT_EQ(m_edit.cursorPosition(), 0);
    EXPECT_FALSE(m_edit.hasSelectedText());
    // The beginning is in view: the caret stands at the field's left edge.
    EXPECT_LT(m_edit.inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), 10);
  }
  // After a selection, too.
  Show("abcdef");
  m_edit.setSelection(2, 3);
  Show("ghijkl");
  EXPECT_EQ(m_edit.cursorPosition(), 0);
  EXPECT_FALSE(m_edit.hasSelectedText());
}

TEST_F(EntryEditTest, ShowingTheSameShortTextKeepsACaretAtTheEnd) {
  Show("abcdef");
  m_edit.end(false);
  Show("abcdef");
  EXPECT_EQ(m_edit.cursorPosition(), 6);
}

TEST_F(EntryEditTest, SameTextRuleHoldsBelow256BytesOnly) {
  struct Row {
    std::size_t size;
    bool bKept;
  };
  const Row rows[] = {{255, true}, {256, false}, {1000, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.size);
    const std::string value(r.size, '\xE0');  // а
    Show(value);
    m_edit.setSelection(3, 4);
    Show(value);
    EXPECT_EQ(m_edit.hasSelectedText(), r.bKept);
    EXPECT_EQ(Read(), value);
  }
}

TEST_F(EntryEditTest, LongEntryIsShownAndReadBackWhole) {
  std::string value;
  for (int i = 0; i < 100000; ++i) value.push_back(static_cast<char>(0xC0 + i % 64));  // А..я
  Show(value);
  EXPECT_EQ(m_edit.text().size(), 100000);
  EXPECT_EQ(Read(), value);
  // Typing at the end of it is not cut either.
  m_edit.end(false);
  Type(m_edit, "z");
  EXPECT_EQ(Read(), value + "z");
}

TEST_F(EntryEditTest, EveryByteAnEntryCanHoldSurvivesShowAndRead) {
  // A lone CR among them; only the line feed and NUL cannot be in an entry.
  std::string value;
  for (int b = 1; b < 256; ++b) {
    if (b != '\n') value.push_back(static_cast<char>(b));
  }
  Show(value);
  EXPECT_EQ(Read(), value);
}

TEST_F(EntryEditTest, EditingBesideAShownCarriageReturnKeepsIt) {
  Show("a\rb");
  m_edit.end(false);
  Type(m_edit, "c");
  EXPECT_EQ(Read(), "a\rbc");
}

TEST_F(EntryEditTest, TypingACharacterWithoutAByteDoesNothing) {
  for (const char* refused : {"é", "漢", "😀"}) {
    SCOPED_TRACE(refused);
    m_edit.SetEntryText("hello");
    m_edit.setSelection(1, 3);
    Type(m_edit, U(refused));
    EXPECT_EQ(m_edit.text(), "hello");
    EXPECT_EQ(m_edit.selectedText(), "ell");
  }
  m_edit.setSelection(1, 3);
  Type(m_edit, U("ж"));
  EXPECT_EQ(m_edit.text(), U("hжo"));
}

TEST_F(EntryEditTest, InsertedTextKeepsItsFirstLineAndCharactersWithBytes) {
  struct Row {
    const char* name;
    QString start;
    int selStart, selLength;  // what the insertion replaces
    QString inserted;
    QString want;
  };
  const Row rows[] = {
      {"line feed", "", 0, 0, "ab\ncd", "ab"},
      {"CR LF", "", 0, 0, "ab\r\ncd", "ab"},
      {"NUL and 0x1A", "", 0, 0, QString::fromUtf16(u"x\u0000y\u001Az", 5), "xyz"},
      {"no byte", "", 0, 0, U("aé漢b"), "ab"},
      {"into a selection", "0123", 1, 2, "X\nY", "0X3"},
      {"repeating its surroundings", "ab", 1, 0, "b\nb", "abb"},
      {"lone CR kept", "", 0, 0, "a\rb", "a\rb"},
      // Pasted over the whole text, beginning as it begins.
      {"begins like the old text", U("Иван Петров"), 0, 11, U("Иван 😀"), U("Иван ")},
      {"first line like the old text", U("Иван Петров"), 0, 11, U("Иван\nПетров"), U("Иван")},
      {"Latin, then no byte", "abc", 0, 3, U("a😀"), "a"},
      {"over a hint", U("Введите текст"), 0, 13, U("В😀"), U("В")},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    m_edit.SetEntryText(r.start);
    m_edit.setSelection(r.selStart, r.selLength);
    if (r.selLength == 0) m_edit.setCursorPosition(r.selStart);
    m_edit.insert(r.inserted);
    EXPECT_EQ(m_edit.text(), r.want);
  }
}

TEST_F(EntryEditTest, InsertingOnlyRefusedTextChangesNothing) {
  m_edit.SetEntryText("keep");
  m_edit.setSelection(0, 2);
  m_edit.insert("\nnext line");
  EXPECT_EQ(m_edit.text(), "keep");
  EXPECT_EQ(m_edit.selectedText(), "ke");
}

TEST_F(EntryEditTest, PasteFromTheClipboardKeepsTheFirstLine) {
  QApplication::clipboard()->setText("ab\ncd");
  m_edit.SetEntryText("");
  m_edit.paste();
  EXPECT_EQ(m_edit.text(), "ab");
}

TEST(EntryEditFilter, FilterInsertedText) {
  struct Row {
    QString in, want;
  };
  const Row rows[] = {
      {"plain", "plain"},       {"one\ntwo", "one"},      {"one\r\ntwo", "one"}, {"\nlater", ""},
      {"cr\ronly", "cr\ronly"}, {U("Ёж №1"), U("Ёж №1")}, {U("a€b"), U("a€b")},  // € is 0x88
      {U("a™b"), U("a™b")},                                                      // 0x99
      {U("aßb"), "ab"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.in.toStdString());
    EXPECT_EQ(FilterInsertedText(r.in), r.want);
  }
}

}  // namespace
}  // namespace velunar
