#include "ui/message_boxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "ui/win_defs.h"

namespace velunar {
namespace {

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
SeenBox ShowAndRead(QWidget* owner, const QString& text, const QString& caption, unsigned nType) {
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
  EXPECT_EQ(QtMessageBoxes().Show(owner, text, caption, nType), IDOK);
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
  QWidget owner;
  owner.show();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.nType);
    const SeenBox seen = ShowAndRead(&owner, "text", "caption", r.nType);
    ASSERT_TRUE(seen.bSeen);
    EXPECT_EQ(seen.icon, r.want);
    EXPECT_EQ(seen.nButtons, 1);
  }
}

TEST(MessageBoxes, ShowsTextAndCaptionAsGivenModalToTheOwner) {
  QWidget owner;
  owner.show();
  // Markup and line feeds stay text: an entry can look like anything.
  const QString text = QString::fromUtf8("<b>Иванов</b>\nвторая строка");
  const SeenBox seen = ShowAndRead(&owner, text, QString::fromUtf8("Внимание!"), MB_OK);
  ASSERT_TRUE(seen.bSeen);
  EXPECT_EQ(seen.text, text);
  EXPECT_EQ(seen.caption, QString::fromUtf8("Внимание!"));
  EXPECT_EQ(seen.format, Qt::PlainText);
  EXPECT_EQ(seen.pParent, &owner);
  EXPECT_TRUE(seen.bModal);
}

}  // namespace
}  // namespace velunar
