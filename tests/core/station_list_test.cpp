#include "stations/station_list.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using qv::stations::StationEntry;
using qv::stations::StationList;
using qv::stations::TagItem;

StationEntry station(const char* name, const char* tag = "") {
  return {QString::fromUtf8(name), QStringLiteral("http://127.0.0.1/") + QString::fromUtf8(name),
          QString::fromUtf8(tag), QString()};
}

QStringList rows(const StationList& list) {
  QStringList texts;
  for (int row = 0; row < list.activeCount(); ++row) {
    texts.append(list.rowText(row));
  }
  return texts;
}

QStringList names(const StationList& list) {
  QStringList out;
  for (const StationEntry& entry : list.PLAY_ARRAY()) {
    out.append(entry.Name);
  }
  return out;
}

TEST(StationList, RowTextsTagsAndTray) {
  StationList list;
  QSignalSpy rebuilt(&list, &StationList::rebuilt);
  list.replaceAll(
      {station("Rock One", "Rock"), station("Quiet"), station("Jazz FM", "jazz"), station("Rock Two", "rock")});
  EXPECT_EQ(rebuilt.count(), 1);
  EXPECT_EQ(rows(list), QStringList({QStringLiteral("1. Rock One (Rock)"), QStringLiteral("2. Quiet"),
                                     QStringLiteral("3. Jazz FM (jazz)"), QStringLiteral("4. Rock Two (rock)")}));
  // Tags in order of first occurrence, the first spelling kept, the untagged item last, all checked.
  EXPECT_EQ(list.tags(),
            (std::vector<TagItem>{{QStringLiteral("Rock"), true}, {QStringLiteral("jazz"), true}, {QString(), true}}));
}

TEST(StationList, EmptyListHasNoRowsNoTagsAndNoCurrentStation) {
  StationList list;
  list.CurrentStation = 4;
  list.replaceAll({});
  EXPECT_EQ(list.activeCount(), 0);
  EXPECT_TRUE(list.tags().empty());
  EXPECT_EQ(list.CurrentStation, -1);
}

class FilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list.replaceAll({station("Radio FM", "Rock"), station("Talk"), station("fm classic", "rock"),
                     station("Fm News", "News"), station("Jazz", "Link FM is not searched"), station("Two Words")});
  }
  StationList list;
};

TEST_F(FilterTest, SearchTextMatchesTheNameOnlyWithoutRegardToCase) {
  list.FilterPL(QStringLiteral("fm"));
  EXPECT_TRUE(list.FilterActive());
  EXPECT_EQ(rows(list), QStringList({QStringLiteral("1. Radio FM (Rock)"), QStringLiteral("2. fm classic (rock)"),
                                     QStringLiteral("3. Fm News (News)")}));
  EXPECT_EQ(list.FilteredStations(), (std::vector<int>{0, 2, 3}));

  list.FilterPL(QStringLiteral("Words "));
  EXPECT_EQ(list.activeCount(), 0) << "the text is used as typed: a trailing blank must be in the name";
  list.FilterPL(QStringLiteral("o W"));
  EXPECT_EQ(rows(list), QStringList(QStringLiteral("1. Two Words")));

  list.FilterPL(QString());
  EXPECT_FALSE(list.FilterActive()) << "all tags checked and no text: no filter";
  EXPECT_EQ(list.activeCount(), 6);
}

TEST_F(FilterTest, UncheckedTagsHideTheirStationsAndChecksSurviveFilteredRebuilds) {
  ASSERT_EQ(list.tags().back().text, QString());
  list.setTagChecked(static_cast<int>(list.tags().size()) - 1, false);  // the untagged item
  list.FilterPL(QString());
  EXPECT_TRUE(list.FilterActive());
  EXPECT_EQ(list.FilteredStations(), (std::vector<int>{0, 2, 3, 4})) << "exactly the untagged stations go";
  EXPECT_FALSE(list.tags().back().checked) << "a filtered rebuild leaves the checks alone";

  list.setTagChecked(0, false);  // Rock also hides rock
  list.FilterPL(QStringLiteral("n"));
  EXPECT_EQ(list.FilteredStations(), (std::vector<int>{3})) << "Fm News; Jazz's tag holds an n, its name not";

  list.setTagChecked(0, true);
  list.setTagChecked(static_cast<int>(list.tags().size()) - 1, true);
  list.FilterPL(QString());
  EXPECT_FALSE(list.FilterActive());
}

TEST_F(FilterTest, AFilteredRowAlwaysMeansTheStationItShows) {
  list.FilterPL(QStringLiteral("fm"));  // rows: Radio FM (0), fm classic (2), Fm News (3)
  EXPECT_EQ(list.playIndexOfRow(1), 2);
  EXPECT_EQ(list.activeStation(1)->Name, QStringLiteral("fm classic"));
  EXPECT_EQ(list.rowOfPlayIndex(3), 2);
  EXPECT_EQ(list.rowOfPlayIndex(1), -1) << "Talk is not shown";

  ASSERT_TRUE(list.replaceStation(2, station("fm classic 2", "rock")));
  EXPECT_EQ(list.rowText(1), QStringLiteral("2. fm classic 2 (rock)"));

  ASSERT_TRUE(list.removeStation(list.playIndexOfRow(0)));  // delete the first visible row
  EXPECT_EQ(names(list), QStringList({QStringLiteral("Talk"), QStringLiteral("fm classic 2"), QStringLiteral("Fm News"),
                                      QStringLiteral("Jazz"), QStringLiteral("Two Words")}));
  EXPECT_EQ(rows(list), QStringList({QStringLiteral("1. fm classic 2 (rock)"), QStringLiteral("2. Fm News (News)")}));

  EXPECT_FALSE(list.moveStation(1, 0)) << "no reordering while filtered";
  EXPECT_EQ(list.FilteredStations(), (std::vector<int>{1, 2}));
}

TEST(StationList, MoveAndDeletePositionsLeaveCurrentStationAlone) {
  StationList list;
  list.replaceAll({station("A"), station("B"), station("C"), station("D"), station("E")});
  list.CurrentStation = 2;
  const auto names5 = [](const char* order) {
    QStringList out;
    for (const char* c = order; *c; ++c) {
      out.append(QString(QLatin1Char(*c)));
    }
    return out;
  };
  struct Case {
    int from;
    int to;
    const char* order;
  };
  const Case moves[] = {
      {4, 0, "EABCD"},  // last row onto row 1
      {0, 4, "ABCDE"},  // first row below the last row: to the end
      {1, 3, "ACDBE"},
      {2, 2, "ACDBE"},
  };
  for (const Case& c : moves) {
    EXPECT_TRUE(list.moveStation(c.from, c.to));
    EXPECT_EQ(names(list), names5(c.order)) << c.from << " -> " << c.to;
  }
  EXPECT_FALSE(list.moveStation(0, 5));
  EXPECT_FALSE(list.removeStation(5));

  ASSERT_TRUE(list.removeStation(2));  // the playing station
  EXPECT_EQ(names(list), names5("ACBE"));
  EXPECT_EQ(list.CurrentStation, 2) << "not adjusted: it now names the entry that took its place";
  ASSERT_TRUE(list.removeStation(3));
  EXPECT_EQ(list.CurrentStation, 2);
  list.replaceAll({});
  EXPECT_EQ(list.CurrentStation, -1);
}

}  // namespace
