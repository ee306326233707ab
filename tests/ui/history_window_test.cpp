// The history window off screen over a small database: typing narrows the list as each key
// comes, and the row's actions copy, search, play and export what that row holds.
#include "history_window.h"
#include "history_csv.h"
#include "history_database.h"
#include "open_url.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace hs = qv::history;

namespace {

QStringList shownTitles(const qv::ui::HistoryWindow& window) {
  QStringList titles;
  for (int row = 0; row < window.list()->topLevelItemCount(); ++row) {
    titles.append(window.list()->topLevelItem(row)->text(2));
  }
  return titles;
}

TEST(HistoryWindow, SearchesAsYouTypeAndActsOnTheSelectedRow) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("history.sqlite"));
  {
    hs::HistoryDatabase db;
    ASSERT_TRUE(db.open(path).ok);
    const QDateTime at = QDateTime::currentDateTimeUtc();
    db.add({0, at, QStringLiteral("Rock FM"), QStringLiteral("http://rock/"), QStringLiteral("AC/DC - T.N.T.")});
    db.add({0, at, QStringLiteral("Nordic"), QStringLiteral("http://nordic/"), QStringLiteral("Björk - Jóga")});
    db.add({0, at, QStringLiteral("Rock FM"), QStringLiteral("http://rock/"), QStringLiteral("Accept - Balls")});
  }
  qv::ui::HistoryWindow window(path);
  window.refresh();
  EXPECT_EQ(shownTitles(window), (QStringList{QStringLiteral("Accept - Balls"), QStringLiteral("Björk - Jóga"),
                                              QStringLiteral("AC/DC - T.N.T.")}));

  QTest::keyClicks(window.searchBox(), QStringLiteral("a"));
  EXPECT_EQ(shownTitles(window), (QStringList{QStringLiteral("Accept - Balls"), QStringLiteral("AC/DC - T.N.T.")}));
  QTest::keyClicks(window.searchBox(), QStringLiteral("c/d"));
  EXPECT_EQ(shownTitles(window), QStringList{QStringLiteral("AC/DC - T.N.T.")});

  window.copySelectedTitle();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("AC/DC - T.N.T."));

  QList<QUrl> opened;
  const qv::ui::UrlOpener previous = qv::ui::setUrlOpener([&](const QUrl& url) { opened.append(url); });
  window.searchSelectedTitleOnTheWeb();
  qv::ui::setUrlOpener(previous);
  ASSERT_EQ(opened.size(), 1);
  EXPECT_TRUE(opened[0].toString(QUrl::FullyEncoded).endsWith(QStringLiteral("/results?search_query=AC%2FDC+-+T.N.T.")))
      << opened[0].toString().toStdString();

  QSignalSpy play(&window, &qv::ui::HistoryWindow::playRequested);
  window.playSelectedStation();
  ASSERT_EQ(play.size(), 1);
  EXPECT_EQ(play[0][1].toString(), QStringLiteral("http://rock/"));

  // The export holds every title, not only those the search shows.
  const QString csv = folder.filePath(QStringLiteral("heard.csv"));
  EXPECT_TRUE(window.exportTo(csv).isEmpty());
  QFile written(csv);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll().count("\r\n"), 4);

  window.searchBox()->clear();
  EXPECT_EQ(shownTitles(window).size(), 3);
}

TEST(HistoryWindow, BeforeTheFirstTitleThereIsNothingToShowOrFail) {
  QTemporaryDir folder;
  qv::ui::HistoryWindow window(folder.filePath(QStringLiteral("history.sqlite")));
  window.refresh();
  QTest::keyClicks(window.searchBox(), QStringLiteral("x"));
  EXPECT_EQ(window.list()->topLevelItemCount(), 0);
  window.copySelectedTitle();  // no row: nothing happens
  EXPECT_TRUE(window.exportTo(folder.filePath(QStringLiteral("empty.csv"))).isEmpty());
  EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("history.sqlite")))) << "the reader creates nothing";
}

// Like the settings window: Escape closes it, wherever the focus is; other keys go to the control.
TEST(HistoryWindow, EscapeClosesItFromTheSearchBoxAndTheList) {
  QTemporaryDir folder;
  qv::ui::HistoryWindow window(folder.filePath(QStringLiteral("history.sqlite")));
  for (QWidget* focused : std::initializer_list<QWidget*>{window.searchBox(), window.list()}) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(focused, Qt::Key_A);
    EXPECT_TRUE(window.isVisible()) << focused->objectName().toStdString();
    QTest::keyClick(focused, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible()) << focused->objectName().toStdString();
  }
  EXPECT_EQ(window.searchBox()->text(), QStringLiteral("a"));
}

}  // namespace
