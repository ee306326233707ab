#include "station_list/station_list_panel.h"
#include "interface_texts.h"
#include "program_run.h"
#include "station_list/pane_splitter.h"
#include "station_list/station_row_delegate.h"
#include "station_list/station_rows_model.h"
#include "station_list/stations_list_view.h"
#include "stations/station_list.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using qv::stations::StationEntry;
using qv::ui::StationListPanel;

StationEntry station(const QString& name, const QString& tag = {}) {
  return {name, QStringLiteral("http://127.0.0.1:8000/") + name, tag, QString()};
}

QStringList names(const qv::stations::StationList& list) {
  QStringList out;
  for (const StationEntry& entry : list.PLAY_ARRAY()) {
    out.append(entry.Name);
  }
  return out;
}

class StationListPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qv::i18n::MainFormTexts texts;
    qv::i18n::applyBuiltInTexts(texts);
    stations.replaceAll({station(QStringLiteral("Alpha FM"), QStringLiteral("Rock")), station(QStringLiteral("Beta")),
                         station(QStringLiteral("Gamma fm"), QStringLiteral("rock")),
                         station(QStringLiteral("Delta"), QStringLiteral("News")), station(QStringLiteral("Epsilon"))});
    panel.setConfirm([this](const QString& question) {
      questions.append(question);
      return answer;
    });
    panel.resize(420, 400);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
  }

  QPoint rowCentre(int row) const { return list()->visualRect(list()->model()->index(row, 0)).center(); }
  qv::ui::StationsListView* list() const { return panel.StationsList; }

  // A drag of a row of this list, or of anything else, dropped on `row` (-1: below the last row).
  bool drop(int row, const QByteArray& token) {
    QMimeData mime;
    mime.setData(QLatin1String(qv::ui::StationRowsModel::kRowDragFormat), token);
    const QPoint at = row >= 0 ? rowCentre(row) : QPoint(20, list()->viewport()->height() - 2);
    QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list()->viewport(), &enter);
    if (!enter.isAccepted()) {
      return false;
    }
    QDropEvent dropped(QPointF(at), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list()->viewport(), &dropped);
    return dropped.isAccepted();
  }

  qv::stations::StationList stations;
  StationListPanel panel{stations, nullptr};
  QStringList questions;
  bool answer = true;
};

TEST_F(StationListPanelTest, SearchAndTagsFilterTheRowsAndDoubleClickPlaysTheShownStation) {
  QSignalSpy play(&panel, &StationListPanel::playRequested);
  EXPECT_EQ(panel.TagsListBox->count(), 3);  // Rock, News, untagged
  EXPECT_EQ(panel.SearchEdit->placeholderText(), QStringLiteral("Search"));

  QTest::keyClicks(panel.SearchEdit, QStringLiteral("fm"));
  EXPECT_TRUE(stations.FilterActive());
  EXPECT_EQ(list()->model()->rowCount(), 2);
  EXPECT_EQ(list()->model()->index(1, 0).data().toString(), QStringLiteral("2. Gamma fm (rock)"));

  panel.SearchEdit->clear();
  EXPECT_FALSE(stations.FilterActive());
  panel.TagsListBox->item(2)->setCheckState(Qt::Unchecked);  // the untagged stations go
  QCoreApplication::processEvents();
  EXPECT_EQ(list()->model()->rowCount(), 3);
  EXPECT_EQ(panel.TagsListBox->item(2)->checkState(), Qt::Unchecked) << "checks stay while filtered";

  QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(2));
  ASSERT_EQ(play.count(), 1);
  EXPECT_EQ(play[0][0].toInt(), 2) << "a row of the active array";
  EXPECT_TRUE(play[0][1].toBool()) << "a double-click stops the stream first";
  EXPECT_EQ(stations.activeStation(2)->Name, QStringLiteral("Delta"));

  QTest::keyClick(list(), Qt::Key_Return);
  ASSERT_EQ(play.count(), 2);
  EXPECT_EQ(play[1][0].toInt(), 2);
  EXPECT_FALSE(play[1][1].toBool());

  panel.TagsListBox->item(2)->setCheckState(Qt::Checked);
  QCoreApplication::processEvents();
  EXPECT_FALSE(stations.FilterActive());
  EXPECT_EQ(panel.TagsListBox->count(), 3) << "refilled, all checked";

  // Double-click below the rows with nothing selected: no station.
  list()->selectRow(-1);
  QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, list()->viewport()->height() - 2));
  ASSERT_EQ(play.count(), 3);
  EXPECT_EQ(play[2][0].toInt(), -1);
}

TEST_F(StationListPanelTest, DraggingARowMovesItOnlyWithinTheUnfilteredList) {
  list()->selectRow(4);
  ASSERT_TRUE(drop(0, list()->dragToken()));
  EXPECT_EQ(names(stations), QStringList({QStringLiteral("Epsilon"), QStringLiteral("Alpha FM"), QStringLiteral("Beta"),
                                          QStringLiteral("Gamma fm"), QStringLiteral("Delta")}));
  EXPECT_EQ(panel.selectedRow(), 0);

  ASSERT_TRUE(drop(-1, list()->dragToken()));  // below the last row: to the end
  EXPECT_EQ(names(stations).last(), QStringLiteral("Epsilon"));
  EXPECT_EQ(panel.selectedRow(), 4);

  EXPECT_FALSE(drop(0, QByteArray("another list"))) << "drags from elsewhere are refused";
  EXPECT_EQ(names(stations).last(), QStringLiteral("Epsilon"));

  QTest::keyClicks(panel.SearchEdit, QStringLiteral("a"));
  list()->selectRow(1);
  drop(0, list()->dragToken());
  EXPECT_EQ(names(stations).first(), QStringLiteral("Alpha FM")) << "no reordering while filtered";
}

TEST_F(StationListPanelTest, DeletesAskAndActOnTheStationTheRowShows) {
  QSignalSpy answered(&panel, &StationListPanel::menuDeleteAnswered);
  QSignalSpy edit(&panel, &StationListPanel::editStationRequested);

  list()->selectRow(4);
  QTest::keyClick(list(), Qt::Key_Delete);
  EXPECT_EQ(questions, QStringList(QStringLiteral("Delete?")));
  EXPECT_EQ(stations.PLAY_ARRAY().size(), 4U);
  EXPECT_EQ(panel.selectedRow(), 3) << "deleting row 5 selects row 4";
  list()->selectRow(0);
  QTest::keyClick(list(), Qt::Key_Delete);
  EXPECT_EQ(panel.selectedRow(), -1) << "deleting row 1 leaves no row selected";
  EXPECT_EQ(answered.count(), 0) << "the key delete does not count as unsaved";

  // A right-click keeps the selection; the menu acts on the row selected before.
  QTest::keyClicks(panel.SearchEdit, QStringLiteral("ta"));  // Beta and Delta
  ASSERT_EQ(list()->model()->rowCount(), 2);
  list()->selectRow(1);
  QTest::mouseClick(list()->viewport(), Qt::RightButton, Qt::NoModifier, rowCentre(0));
  EXPECT_EQ(panel.selectedRow(), 1);

  panel.Edit1Click();
  ASSERT_EQ(edit.count(), 1);
  EXPECT_EQ(edit[0][0].toInt(), 2) << "EDIT_ID is the PLAY_ARRAY index of Delta";
  EXPECT_EQ(edit[0][1].value<StationEntry>().Name, QStringLiteral("Delta"));

  answer = false;
  panel.Delete1Click();
  EXPECT_EQ(questions.last(), qv::l_delconfirm);
  EXPECT_EQ(answered.count(), 1) << "a No still counts as unsaved";
  EXPECT_EQ(stations.PLAY_ARRAY().size(), 3U);

  answer = true;
  panel.Delete1Click();
  EXPECT_EQ(names(stations), QStringList({QStringLiteral("Beta"), QStringLiteral("Gamma fm")}));
  EXPECT_EQ(list()->model()->rowCount(), 1);
  EXPECT_EQ(list()->model()->index(0, 0).data().toString(), QStringLiteral("1. Beta"));
  EXPECT_EQ(panel.selectedRow(), 0);
}

TEST_F(StationListPanelTest, MenusShowTheirTextsAndHandOverTheirCommands) {
  const auto texts = [](const QMenu* menu) {
    QStringList out;
    for (const QAction* action : menu->actions()) {
      out.append(action->text());
    }
    return out;
  };
  EXPECT_EQ(texts(panel.StationsPopup), QStringList({QStringLiteral("Edit"), QStringLiteral("Delete")}));
  EXPECT_EQ(texts(panel.RecentPLPopup), QStringList({QStringLiteral("Delete"), QStringLiteral("Delete All")}));

  QSignalSpy edit(&panel, &StationListPanel::editStationRequested);
  panel.StationsPopup->actions()[0]->trigger();
  EXPECT_EQ(edit.count(), 0) << "no row selected: nothing to edit";
  panel.StationsPopup->actions()[1]->trigger();
  EXPECT_TRUE(questions.isEmpty()) << "no row selected: the menu delete does not ask";
}

TEST_F(StationListPanelTest, RowsAreDrawnAsTheSkinWants) {
  stations.CurrentStation = 1;
  list()->selectRow(0);
  list()->viewport()->update();
  const QImage image = list()->viewport()->grab().toImage();
  const QRect first = list()->visualRect(list()->model()->index(0, 0));
  EXPECT_EQ(first.height(), 25);
  EXPECT_EQ(image.pixelColor(first.right() - 2, first.top() + 2), QColor(0x80, 0x80, 0x80));
  EXPECT_TRUE(list()->model()->index(1, 0).data(qv::ui::StationRowsModel::IsCurrentRole).toBool());
  EXPECT_FALSE(list()->model()->index(0, 0).data(qv::ui::StationRowsModel::IsCurrentRole).toBool());
}

// A name wider than its row ends in an ellipsis and keeps the row's right margin clear.
TEST_F(StationListPanelTest, ALongNameEndsInAnEllipsisBeforeTheRowsRightMargin) {
  const QString longName = QStringLiteral("Radio ") + QString(80, QLatin1Char('W'));
  stations.replaceAll({station(longName), station(QStringLiteral("Beta"))});
  list()->setCurrentIndex(QModelIndex());
  list()->clearSelection();
  list()->viewport()->update();
  const QRect first = list()->visualRect(list()->model()->index(0, 0));
  const QImage image = list()->viewport()->grab().toImage();
  const QColor background = image.pixelColor(first.right(), first.bottom());
  for (int x = first.right() - qv::ui::StationRowDelegate::kTextLeft + 1; x <= first.right(); ++x) {
    for (int y = first.top(); y <= first.bottom(); ++y) {
      ASSERT_EQ(image.pixelColor(x, y), background) << "text in the right margin at " << x << "," << y;
    }
  }

  const auto* delegate = qobject_cast<const qv::ui::StationRowDelegate*>(list()->itemDelegate());
  ASSERT_NE(delegate, nullptr);
  const QString shown = delegate->fittedText(QStringLiteral("1. ") + longName, list()->font(), first.width());
  EXPECT_TRUE(shown.startsWith(QLatin1String("1. Radio WW")) && shown.endsWith(QChar(0x2026))) << shown.toStdString();
  EXPECT_EQ(delegate->fittedText(QStringLiteral("2. Beta"), list()->font(), first.width()), QStringLiteral("2. Beta"));
}

// "Unsaved", the recent list's first row at first start, stands off the panel's left edge as its label does.
TEST(StationListInMainWindow, TheRecentListsRowsKeepALeftMargin) {
  ProgramRun run;
  ASSERT_TRUE(run.start());
  MainForm->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
  QListWidget* recent = MainForm->ListsListBox;
  ASSERT_GE(recent->count(), 1);
  ASSERT_EQ(recent->item(0)->text(), QStringLiteral("Unsaved"));
  recent->clearSelection();
  recent->setCurrentItem(nullptr);
  const QRect row = recent->visualItemRect(recent->item(0));
  const QImage image = recent->viewport()->grab().toImage();
  const QColor background = image.pixelColor(row.right(), row.top());
  int firstInk = -1;
  for (int x = row.left(); x <= row.right() && firstInk < 0; ++x) {
    for (int y = row.top(); y <= row.bottom(); ++y) {
      if (image.pixelColor(x, y) != background) {
        firstInk = x;
        break;
      }
    }
  }
  EXPECT_GE(firstInk, row.left() + 5) << "the text begins " << firstInk - row.left() << " px in";
  run.finish();
}

// Through the main window: the hand-over to play control, and the splitter sizes kept over a restart.
TEST(StationListInMainWindow, DoubleClickHandsTheRowToPlayAndPaneSizesPersist) {
  ProgramRun run;
  ASSERT_TRUE(run.start());
  MainForm->Stations.replaceAll(
      {station(QStringLiteral("One")), station(QStringLiteral("Two")), station(QStringLiteral("Three"))});
  MainForm->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
  auto* list = MainForm->StationsPanel->StationsList;
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                     list->visualRect(list->model()->index(2, 0)).center());
  EXPECT_EQ(MainForm->CurrentStation, 2);
  // Play took it: the station is being opened (or its open has already failed).
  EXPECT_TRUE(QTest::qWaitFor(
      [] {
        const QString shown = MainForm->StationLabel->text();
        return shown == qv::l_connecting || shown.startsWith(qv::l_cantplay);
      },
      5000))
      << MainForm->StationLabel->text().toStdString();

  // The menu delete marks the list unsaved whatever the answer; the key delete does not.
  MainForm->StationsPanel->setConfirm([](const QString&) { return false; });
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_FALSE(MainForm->UnsavedPL);
  MainForm->StationsPanel->Delete1Click();
  EXPECT_TRUE(MainForm->UnsavedPL);
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY().size(), 3U);

  qv::ui::PaneSplitter* splitter = MainForm->StationsPanel->Splitter3;
  const QPoint grip(1, splitter->height() / 2);
  QTest::mousePress(splitter, Qt::LeftButton, Qt::NoModifier, grip);
  QTest::mouseMove(splitter, grip + QPoint(40, 0));
  QTest::mouseRelease(splitter, Qt::LeftButton, Qt::NoModifier, grip + QPoint(40, 0));
  EXPECT_EQ(MainForm->PLLeftPanel->width(), 146);
  run.finish();

  ASSERT_TRUE(run.start());
  EXPECT_EQ(MainForm->PLLeftPanel->width(), 146);
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY().size(), 3U);
  EXPECT_EQ(MainForm->CurrentStation, 2);
  run.finish();
}

}  // namespace
