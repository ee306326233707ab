// The now-playing labels as web links: the query encoding, the station's home page, and the labels'
// look and clicks in the window, with the URL service observed.
#include "label_links.h"
#include "open_url.h"
#include "program_run.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(LabelLinks, QueryValueEncoding) {
  struct Case {
    QString title;
    const char* encoded;
  };
  const Case cases[] = {
      {QStringLiteral("AC/DC - T.N.T."), "AC%2FDC+-+T.N.T."},
      {QStringLiteral("Björk - Jóga"), "Bj%C3%B6rk+-+J%C3%B3ga"},
      {QStringLiteral("x&y=z"), "x%26y%3Dz"},
      {QStringLiteral("!$'()*-.@_ az09"), "!$'()*-.@_+az09"},
      {QStringLiteral("a+b#c%d\"~"), "a%2Bb%23c%25d%22%7E"},
      {QString(QChar(u'\t')) + QChar(u'\x7f'), "%09%7F"},
      {QStringLiteral("Ö€"), "%C3%96%E2%82%AC"},
      // A surrogate pair is one character of four UTF-8 bytes.
      {QString::fromUtf16(u"\U0001F3B5 Song"), "%F0%9F%8E%B5+Song"},
      // An unpaired surrogate cannot be UTF-8: it goes as the replacement character.
      {QString(QChar(0xD83C)) + QStringLiteral("x"), "%EF%BF%BDx"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(qv::ui::encodeQueryValue(c.title), QLatin1String(c.encoded)) << c.encoded;
  }
  EXPECT_EQ(qv::ui::videoSearchUrl(QStringLiteral("AC/DC - T.N.T.")).toString(QUrl::FullyEncoded),
            QStringLiteral("https://www.youtube.com/results?search_query=AC%2FDC+-+T.N.T."));
  EXPECT_TRUE(qv::ui::videoSearchUrl(QString()).isEmpty());
}

TEST(LabelLinks, OnlyWebPagesAreOpenedFromTheStationHeader) {
  struct Case {
    const char* icyUrl;
    const char* opened;  // null: nothing
  };
  const Case cases[] = {
      {"http://radio.example/home", "http://radio.example/home"},
      {"https://radio.example/?a=1&b=2", "https://radio.example/?a=1&b=2"},
      {"  HTTP://radio.example  ", "http://radio.example"},
      {"www.radio.example", "http://www.radio.example"},
      {"", nullptr},
      {"file:///etc/passwd", nullptr},
      {"C:\\Windows\\System32\\calc.exe", nullptr},
      {"\\\\server\\share\\run.exe", nullptr},
      {"javascript:alert(1)", nullptr},
      {"radio.example", nullptr},  // no scheme and not a www. name: a relative path
  };
  for (const Case& c : cases) {
    const auto page = qv::ui::stationHomePage(QString::fromUtf8(c.icyUrl));
    ASSERT_EQ(page.has_value(), c.opened != nullptr) << c.icyUrl;
    if (page) {
      EXPECT_EQ(page->toString(), QLatin1String(c.opened));
    }
  }
}

class LabelsInTheWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    m_previousOpener = qv::ui::setUrlOpener([this](const QUrl& url) { opened.append(url); });
    ASSERT_TRUE(run.start());
    MainForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
  }
  void TearDown() override {
    run.finish();
    qv::ui::setUrlOpener(m_previousOpener);
  }

  static void enter(QWidget* widget) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
    QCoreApplication::sendEvent(widget, &event);
  }
  static void leave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &event);
  }

  ProgramRun run;
  QList<QUrl> opened;

 private:
  qv::ui::UrlOpener m_previousOpener;
};

TEST_F(LabelsInTheWindow, TheTitleOpensAVideoSearchOnlyWhenThereIsATitle) {
  qv::ui::LinkLabel* title = MainForm->TrackLabel;
  enter(title);
  EXPECT_FALSE(title->hasLinkLook()) << "an empty title is no link";
  QTest::mouseClick(title, Qt::LeftButton);
  EXPECT_TRUE(opened.isEmpty());

  title->setText(QStringLiteral("Björk - Jóga"));
  enter(title);
  EXPECT_TRUE(title->hasLinkLook());
  EXPECT_TRUE(title->font().underline());
  EXPECT_EQ(title->palette().color(QPalette::WindowText), QColor(0xFF, 0xFF, 0xFF));
  QTest::mouseClick(title, Qt::LeftButton);
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0].toString(QUrl::FullyEncoded),
            QStringLiteral("https://www.youtube.com/results?search_query=Bj%C3%B6rk+-+J%C3%B3ga"));
  QTest::mouseClick(title, Qt::RightButton);
  EXPECT_EQ(opened.size(), 1) << "only the left button clicks";

  leave(title);
  EXPECT_FALSE(title->font().underline());
  EXPECT_EQ(title->palette().color(QPalette::WindowText), QColor(0xBB, 0xDD, 0xFF));
}

TEST_F(LabelsInTheWindow, TheStationNameOpensTheHomePageTheStreamAnnounced) {
  qv::ui::LinkLabel* station = MainForm->StationLabel;
  station->setText(QStringLiteral("Radio One"));

  // No icy-url: no look, no click.
  enter(station);
  EXPECT_FALSE(station->hasLinkLook());
  QTest::mouseClick(station, Qt::LeftButton);
  EXPECT_TRUE(opened.isEmpty());

  MainForm->IcyUrl = QStringLiteral("https://radio.example/");
  enter(station);
  EXPECT_TRUE(station->hasLinkLook());
  QTest::mouseClick(station, Qt::LeftButton);
  EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("https://radio.example/"))});
  leave(station);
  EXPECT_FALSE(station->hasLinkLook());

  // A header naming a local program is not followed.
  MainForm->IcyUrl = QStringLiteral("file:///usr/bin/xterm");
  enter(station);
  EXPECT_FALSE(station->hasLinkLook());
  QTest::mouseClick(station, Qt::LeftButton);
  EXPECT_EQ(opened.size(), 1);

  // The status label reacts to no click.
  MainForm->StatusLabel->setText(QStringLiteral("128 kbps"));
  QTest::mouseClick(MainForm->StatusLabel, Qt::LeftButton);
  EXPECT_EQ(opened.size(), 1);
}

}  // namespace
