// The About box, offscreen: what it shows, how it ends, and the site button,
// whose opener is replaced so that no browser starts.
#include "ui/about_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <vector>

#include "tests/ui/window_driver.h"
#include "ui/platform/qt/multi_line_button.h"
#include "ui/platform/win_defs.h"
#include "ui/resource_ids.h"

namespace velunar {
namespace {

using testing::CMessageBoxRecorder;
using testing::Key;
using testing::U;

// The address the build was configured with (VELUNAR_SITE_URL).
const char kSiteUrl[] = VELUNAR_CONFIGURED_SITE_URL;

class AboutBoxTest : public ::testing::Test {
 protected:
  AboutBoxTest() {
    m_dlg.SetMessageBoxes(&m_boxes);
    m_dlg.SetUrlOpener([this](const std::string& url) {
      m_opened.push_back(QUrl(QString::fromStdString(url)));
      return m_bOpenSucceeds;
    });
  }

  void Open() {
    ASSERT_TRUE(m_dlg.Create());
    m_dlg.Window().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dlg.Window()));
  }

  QPushButton* Button(int nID) { return qobject_cast<QPushButton*>(m_dlg.Window().GetDlgItem(nID)); }

  // The texts of the box's text labels, top to bottom.
  QStringList LabelTexts() {
    QList<QLabel*> labels = m_dlg.Window().findChildren<QLabel*>();
    labels.removeIf([](const QLabel* pLabel) { return pLabel->text().isEmpty(); });
    std::sort(labels.begin(), labels.end(),
              [](const QLabel* a, const QLabel* b) { return a->y() < b->y(); });
    QStringList texts;
    for (const QLabel* pLabel : labels) texts.append(pLabel->text());
    return texts;
  }

  CMessageBoxRecorder m_boxes;
  CAboutDlg m_dlg;
  std::vector<QUrl> m_opened;
  bool m_bOpenSucceeds = true;
};

TEST_F(AboutBoxTest, ShowsNameVersionNoteAndTwoButtons) {
  Open();
  EXPECT_EQ(m_dlg.Window().windowTitle(), U("О программе \"Велунар\""));

  const QStringList texts = LabelTexts();
  ASSERT_EQ(texts.size(), 6);
  EXPECT_EQ(texts[0], U("Велунар 2006.05 (1024x768)"));
  // Five lines of our own note: Russian, inviting a voluntary payment and
  // pointing to the site; no account numbers or other payment details.
  const QString note = texts.mid(1).join(u' ');
  for (const QString& line : texts.mid(1)) {
    SCOPED_TRACE(line.toStdString());
    EXPECT_TRUE(line.contains(QRegularExpression(QStringLiteral("[а-яА-ЯёЁ]"))));
  }
  EXPECT_TRUE(note.contains(U("платеж"))) << note.toStdString();
  EXPECT_TRUE(note.contains(U("сайте"))) << note.toStdString();
  EXPECT_FALSE(note.contains(QRegularExpression(QStringLiteral("\\d")))) << note.toStdString();

  ASSERT_NE(Button(IDOK), nullptr);
  EXPECT_EQ(Button(IDOK)->text(), "OK");
  EXPECT_TRUE(Button(IDOK)->isDefault());
  EXPECT_EQ(QApplication::focusWidget(), Button(IDOK));
  ASSERT_NE(Button(IDC_SITE_LINK), nullptr);
  EXPECT_EQ(Button(IDC_SITE_LINK)->text(), U("Бесплатные программы на сайте ") + kSiteUrl);
  EXPECT_EQ(m_dlg.Window().findChildren<QPushButton*>().size(), 2);
  EXPECT_TRUE(m_opened.empty());

  // Where the template puts them, in dialog units; the site's caption
  // wraps within its button.
  EXPECT_EQ(m_dlg.Window().size(), m_dlg.Window().Units().ToPixels(QSize(185, 116)));
  EXPECT_EQ(Button(IDOK)->geometry(), m_dlg.Window().Units().ToPixels(QRect(142, 83, 36, 26)));
  EXPECT_EQ(Button(IDC_SITE_LINK)->geometry(), m_dlg.Window().Units().ToPixels(QRect(7, 83, 127, 26)));
  EXPECT_NE(dynamic_cast<CMultiLineButton*>(Button(IDC_SITE_LINK)), nullptr);
}

TEST_F(AboutBoxTest, IconShowsTheApplicationsIcon) {
  const QIcon previous = QApplication::windowIcon();
  QPixmap red(48, 48);
  red.fill(Qt::red);
  QApplication::setWindowIcon(QIcon(red));
  Open();
  int nIcons = 0;
  for (const QLabel* pLabel : m_dlg.Window().findChildren<QLabel*>()) {
    if (pLabel->pixmap().isNull()) continue;
    ++nIcons;
    EXPECT_EQ(pLabel->pixmap().toImage().pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(pLabel->pos(), m_dlg.Window().Units().ToPixels(QRect(7, 6, 21, 20)).topLeft());
  }
  QApplication::setWindowIcon(previous);
  EXPECT_EQ(nIcons, 1);
}

TEST_F(AboutBoxTest, SiteAddressIsTheConfiguredOne) {
  EXPECT_EQ(CAboutDlg::SiteUrl(), kSiteUrl);
  EXPECT_TRUE(QUrl(QString::fromStdString(CAboutDlg::SiteUrl())).isValid());
}

TEST(AboutBoxRun, OkAndEveryWayOfCancellingEndTheRun) {
  struct Row {
    const char* name;
    std::function<void(CAboutDlg&)> act;
    int nWant;
  };
  const Row rows[] = {
      {"Enter on OK", [](CAboutDlg& dlg) { Key(&dlg.Window(), Qt::Key_Return); }, IDOK},
      {"OK clicked",
       [](CAboutDlg& dlg) { qobject_cast<QPushButton*>(dlg.Window().GetDlgItem(IDOK))->click(); }, IDOK},
      {"Space on OK", [](CAboutDlg& dlg) { Key(&dlg.Window(), Qt::Key_Space, Qt::NoModifier, " "); }, IDOK},
      {"Escape", [](CAboutDlg& dlg) { Key(&dlg.Window(), Qt::Key_Escape); }, IDCANCEL},
      {"close button", [](CAboutDlg& dlg) { dlg.Window().close(); }, IDCANCEL},
      {"Alt+F4", [](CAboutDlg& dlg) { Key(&dlg.Window(), Qt::Key_F4, Qt::AltModifier); }, IDCANCEL},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CAboutDlg dlg;
    std::vector<QUrl> opened;
    dlg.SetUrlOpener([&opened](const std::string& url) {
      opened.push_back(QUrl(QString::fromStdString(url)));
      return true;
    });
    bool bActed = false;
    QTimer::singleShot(0, &dlg.Window(), [&] {
      EXPECT_TRUE(dlg.Window().isModal());
      EXPECT_TRUE(QTest::qWaitForWindowActive(&dlg.Window()));
      bActed = true;
      r.act(dlg);
    });
    // Should the box stay up after all, end it rather than hang the test.
    QTimer::singleShot(5000, &dlg.Window(), [&dlg] { dlg.EndDialog(12345); });
    EXPECT_EQ(dlg.DoModal(), r.nWant);
    EXPECT_TRUE(bActed);
    EXPECT_FALSE(dlg.Window().isVisible());
    EXPECT_TRUE(opened.empty());
  }
}

TEST_F(AboutBoxTest, SiteButtonOpensTheSiteOncePerPressAndTheBoxStays) {
  Open();
  QPushButton* pSite = Button(IDC_SITE_LINK);
  ASSERT_NE(pSite, nullptr);

  QTest::mouseClick(pSite, Qt::LeftButton);
  EXPECT_EQ(m_opened.size(), 1u);
  QTest::mouseClick(pSite, Qt::LeftButton);
  EXPECT_EQ(m_opened.size(), 2u);
  m_bOpenSucceeds = false;  // a failure is silent
  QTest::mouseClick(pSite, Qt::LeftButton);
  ASSERT_EQ(m_opened.size(), 3u);

  for (const QUrl& url : m_opened) EXPECT_EQ(url, QUrl(QString::fromUtf8(kSiteUrl)));
  EXPECT_TRUE(m_dlg.Window().isVisible());
  EXPECT_EQ(m_dlg.Window().result(), 0);
  EXPECT_TRUE(m_boxes.boxes.empty());
  EXPECT_EQ(pSite->text(), U("Бесплатные программы на сайте ") + kSiteUrl);
}

TEST_F(AboutBoxTest, EnterOrSpaceOnTheFocusedSiteButtonOpensTheSiteInsteadOfClosing) {
  Open();
  Key(&m_dlg.Window(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), Button(IDC_SITE_LINK));

  Key(&m_dlg.Window(), Qt::Key_Return);
  EXPECT_EQ(m_opened.size(), 1u);
  Key(&m_dlg.Window(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(m_opened.size(), 2u);
  Key(&m_dlg.Window(), Qt::Key_Space, Qt::NoModifier, " ");
  EXPECT_EQ(m_opened.size(), 3u);
  EXPECT_TRUE(m_dlg.Window().isVisible());

  // Back on OK, Enter ends the box.
  Key(&m_dlg.Window(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), Button(IDOK));
  Key(&m_dlg.Window(), Qt::Key_Return);
  EXPECT_FALSE(m_dlg.Window().isVisible());
  EXPECT_EQ(m_dlg.Window().result(), IDOK);
  EXPECT_EQ(m_opened.size(), 3u);
}

}  // namespace
}  // namespace velunar
