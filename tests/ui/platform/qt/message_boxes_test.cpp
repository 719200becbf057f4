#include "ui/platform/message_boxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "tests/ui/platform/qt/dialog_driver.h"
#include "tests/ui/platform/qt/test_dialog_ids.h"
#include "ui/platform/win_defs.h"

namespace velunar {
namespace {

// A window to own the boxes: the test template's, made and not yet shown.
class COwner : public CDialog {
 public:
  COwner() : CDialog(testing::IDD_TEST_BOX, testing::kTestNames) { Create(); }
};

struct SeenBox {
  bool bSeen = false;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString text, caption;
  Qt::TextFormat format = Qt::AutoText;
  qsizetype nButtons = 0;
  QWidget* pParent = nullptr;
  bool bModal = false;
};

// Shows one box through the Qt boxes and reads it while it is up.
SeenBox ShowAndRead(CDialog* owner, const QString& text, const QString& caption, unsigned nType) {
  SeenBox seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen.bSeen = true;
    seen.icon = box->icon();
    seen.text = box->text();
    seen.caption = box->windowTitle();
    seen.format = box->textFormat();
    seen.nButtons = box->buttons().size();
    seen.pParent = box->parentWidget();
    seen.bModal = box->isModal();
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(DefaultMessageBoxes().Show(owner, text.toStdString(), caption.toStdString(), nType),
            IDOK);
  return seen;
}

TEST(MessageBoxes, IconFollowsTheType) {
  struct Row {
    unsigned nType;
    QMessageBox::Icon want;
  };
  const Row rows[] = {
      {MB_OK, QMessageBox::NoIcon},
      {MB_ICONSTOP, QMessageBox::Critical},
      {MB_ICONEXCLAMATION, QMessageBox::Warning},
      {MB_ICONINFORMATION, QMessageBox::Information},
      {MB_ICONQUESTION, QMessageBox::Question},
  };
  COwner owner;
  owner.Window().show();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.nType);
    const SeenBox seen = ShowAndRead(&owner, "text", "caption", r.nType);
    ASSERT_TRUE(seen.bSeen);
    EXPECT_EQ(seen.icon, r.want);
    EXPECT_EQ(seen.nButtons, 1);
  }
}

TEST(MessageBoxes, ShowsTextAndCaptionAsGivenModalToTheOwner) {
  COwner owner;
  owner.Window().show();
  // Markup and line feeds stay text: an entry can look like anything.
  const QString text = QString::fromUtf8("<b>Иванов</b>\nвторая строка");
  const SeenBox seen = ShowAndRead(&owner, text, QString::fromUtf8("Внимание!"), MB_OK);
  ASSERT_TRUE(seen.bSeen);
  EXPECT_EQ(seen.text, text);
  EXPECT_EQ(seen.caption, QString::fromUtf8("Внимание!"));
  EXPECT_EQ(seen.format, Qt::PlainText);
  EXPECT_EQ(seen.pParent, &owner.Window());
  EXPECT_TRUE(seen.bModal);
}

// How the user ends a box in the Yes/No cases.
enum class Ending { kClickYes, kClickNo, kEscape, kClose, kEnter };

struct YesNoSeen {
  bool bSeen = false;
  QStringList captions;  // the buttons' texts, left to right as added
  QString defaultText;
  int nAnswer = 0;
};

YesNoSeen ShowYesNo(unsigned nType, Ending ending) {
  YesNoSeen seen;
  QTimer::singleShot(0, [&seen, ending] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen.bSeen = true;
    for (QAbstractButton* b : box->buttons()) seen.captions << b->text();
    seen.captions.sort();
    if (box->defaultButton() != nullptr) seen.defaultText = box->defaultButton()->text();
    QAbstractButton* yes = box->button(QMessageBox::Yes);
    QAbstractButton* no = box->button(QMessageBox::No);
    switch (ending) {
      case Ending::kClickYes:
        yes->click();
        break;
      case Ending::kClickNo:
        no->click();
        break;
      case Ending::kEscape: {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
        break;
      }
      case Ending::kClose:
        box->close();
        break;
      case Ending::kEnter: {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
        break;
      }
    }
    // Whatever happened, the box must not stay up and hang the test.
    QTimer::singleShot(0, box, [box] {
      if (box->isVisible()) box->done(QMessageBox::Cancel);
    });
  });
  COwner owner;
  owner.Window().show();
  seen.nAnswer = DefaultMessageBoxes().Show(&owner, "text", "caption", nType);
  return seen;
}

TEST(MessageBoxes, YesNoAnswersByTheButtonChosen) {
  struct Row {
    unsigned nType;
    Ending ending;
    int want;
    const char* wantDefault;
  };
  const Row rows[] = {
      {MB_YESNO, Ending::kClickYes, IDYES, "Да"},
      {MB_YESNO, Ending::kClickNo, IDNO, "Да"},
      {MB_YESNO, Ending::kEscape, IDNO, "Да"},
      {MB_YESNO, Ending::kClose, IDNO, "Да"},
      {MB_YESNO, Ending::kEnter, IDYES, "Да"},
      {MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, Ending::kEnter, IDNO, "Нет"},
      {MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2, Ending::kClickYes, IDYES, "Нет"},
      {MB_YESNO | MB_DEFBUTTON2, Ending::kEscape, IDNO, "Нет"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(::testing::Message()
                 << "type " << r.nType << " ending " << static_cast<int>(r.ending));
    const YesNoSeen seen = ShowYesNo(r.nType, r.ending);
    ASSERT_TRUE(seen.bSeen);
    EXPECT_EQ(seen.captions, (QStringList{QString::fromUtf8("Да"), QString::fromUtf8("Нет")}));
    EXPECT_EQ(seen.defaultText, QString::fromUtf8(r.wantDefault));
    EXPECT_EQ(seen.nAnswer, r.want);
  }
}

TEST(MessageBoxes, OkBoxAnswersOkHoweverItEnds) {
  for (bool bEscape : {false, true}) {
    SCOPED_TRACE(bEscape);
    int nButtons = 0;
    QTimer::singleShot(0, [&nButtons, bEscape] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      nButtons = static_cast<int>(box->buttons().size());
      QKeyEvent press(QEvent::KeyPress, bEscape ? Qt::Key_Escape : Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(box, &press);
      QTimer::singleShot(0, box, [box] {
        if (box->isVisible()) box->done(QMessageBox::Cancel);
      });
    });
    EXPECT_EQ(DefaultMessageBoxes().Show(nullptr, "text", "caption", MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(nButtons, 1);
  }
}

struct Layout {
  bool bSeen = false;
  QRect boxFrame;
  int nLabelWidth = 0;
  int nLabelHeight = 0;
  int nLineSpacing = 0;
  QFont font;
};

Layout ShowAndMeasure(CDialog* owner, const QString& text) {
  Layout seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr) return;
    seen.bSeen = true;
    seen.boxFrame = box->frameGeometry();
    seen.nLabelWidth = label->contentsRect().width();
    seen.nLabelHeight = label->contentsRect().height();
    seen.nLineSpacing = QFontMetrics(label->font()).lineSpacing();
    seen.font = label->font();
    box->done(QMessageBox::Ok);
  });
  DefaultMessageBoxes().Show(owner, text.toStdString(), "caption", MB_OK);
  return seen;
}

TEST(MessageBoxes, EachLineStaysOnOneLineUnlessWiderThanTwoThirdsOfTheScreen) {
  const QString change = QString::fromUtf8(
      "Редактируйте выделенную строку в нижнем поле!\n"
      "Выделенная в верхнем поле строка должна быть показана в нижнем поле.");
  COwner owner;
  owner.Window().show();
  const Layout seen = ShowAndMeasure(&owner, change);
  ASSERT_TRUE(seen.bSeen);
  const QFontMetrics fm(seen.font);
  for (const QString& line : change.split(u'\n')) {
    SCOPED_TRACE(line.toStdString());
    EXPECT_LE(fm.horizontalAdvance(line), seen.nLabelWidth);
  }
  EXPECT_LT(seen.nLabelHeight, 3 * seen.nLineSpacing);

  // A line far wider than the screen wraps, and the box stays on the screen.
  const int nScreen = owner.Window().screen()->availableGeometry().width();
  QString wide;
  while (fm.horizontalAdvance(wide) < 2 * nScreen) wide += QString::fromUtf8("Иванов Пётр ");
  const Layout wrapped = ShowAndMeasure(&owner, wide);
  ASSERT_TRUE(wrapped.bSeen);
  EXPECT_LE(wrapped.nLabelWidth, nScreen * 2 / 3);
  EXPECT_GE(wrapped.nLabelHeight, 2 * wrapped.nLineSpacing);
  EXPECT_LE(wrapped.boxFrame.width(), nScreen);
}

TEST(MessageBoxes, ABoxWithoutAShownOwnerIsCentredInTheWorkArea) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  COwner hidden;  // made, never shown, as a main window before its run
  hidden.Window().setGeometry(0, 0, 1000, 700);
  CDialog* owners[] = {&hidden, nullptr};
  for (CDialog* pOwner : owners) {
    SCOPED_TRACE(pOwner == nullptr ? "no owner" : "hidden owner");
    const Layout seen = ShowAndMeasure(pOwner, "text");
    ASSERT_TRUE(seen.bSeen);
    EXPECT_LE(std::abs(seen.boxFrame.center().x() - area.center().x()), 1);
    EXPECT_LE(std::abs(seen.boxFrame.center().y() - area.center().y()), 1);
  }
}

TEST(MessageBoxRecorder, YesNoBoxesTakeTheScriptedAnswersInOrderThenNo) {
  testing::CMessageBoxRecorder recorder;
  recorder.yesNoAnswers = {IDYES, IDNO, IDYES};
  struct Row {
    unsigned nType;
    int want;
  };
  // OK boxes answer OK and leave the script alone.
  const Row rows[] = {
      {MB_YESNO, IDYES},
      {MB_OK | MB_ICONSTOP, IDOK},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
      {MB_YESNO, IDYES},
      {MB_YESNO, IDNO},
      {MB_ICONINFORMATION, IDOK},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(recorder.Show(nullptr, "t", "c", r.nType), r.want);
  }
  ASSERT_EQ(recorder.boxes.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(recorder.boxes[i].nType, rows[i].nType);
    EXPECT_EQ(recorder.boxes[i].nAnswer, rows[i].want);
  }
  EXPECT_TRUE(recorder.yesNoAnswers.empty());
}

}  // namespace
}  // namespace velunar
