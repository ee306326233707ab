// The directory's answers read as untrusted input: the shape at the top decides, wrong types read
// as empty, texts are one line and bounded, and only web links are offered for playing.
#include "directory_answer.h"

#include <gtest/gtest.h>

namespace {

using namespace qv::directory;

TEST(DirectoryAnswer, AnswersOfTheWrongShapeAreErrorsNeverEmptyLists) {
  struct Case {
    const char* name;
    QByteArray bytes;
    bool ok;
    std::size_t stations;
  };
  const Case cases[] = {
      {"empty list", "[]", true, 0},
      {"html page", "<!DOCTYPE html><html></html>", false, 0},
      {"cut off", R"j([{"name":"A","url":"http://a"},{"name":)j", false, 0},
      {"object at the top", R"j({"name":"A"})j", false, 0},
      {"nothing", "", false, 0},
      {"items that are not objects are skipped", R"j([1,"two",null,[],{"name":"A"}])j", true, 1},
  };
  for (const Case& c : cases) {
    const Parsed<DirectoryStation> parsed = parseStations(c.bytes);
    EXPECT_EQ(parsed.ok(), c.ok) << c.name;
    EXPECT_EQ(parsed.items.size(), c.stations) << c.name;
    EXPECT_EQ(parsed.error.isEmpty(), c.ok) << c.name << ": an error is named";
  }
}

TEST(DirectoryAnswer, FieldsAreReadDefensively) {
  const QByteArray answer = QByteArray(R"j([{"stationuuid":"u-1","name":"  Jazz\nFM\u0007 ","url":"http://j/",)j"
                                       R"j("url_resolved":"https://j/live","favicon":"javascript:alert(1)",)j"
                                       R"j("tags":"jazz, swing","country":["no"],"countrycode":"DE","codec":7,)j"
                                       R"j("bitrate":"128","votes":-5,"clickcount":1e300,"lastcheckok":0},)j"
                                       R"j({"name":")j") +
                           QByteArray(5000, 'x') +
                           R"j(","url":"file:///etc/passwd","url_resolved":"ftp://x/","favicon":"http://logo/x.png"}])j";
  const Parsed<DirectoryStation> parsed = parseStations(answer);
  ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
  ASSERT_EQ(parsed.items.size(), 2U);
  const DirectoryStation& jazz = parsed.items[0];
  EXPECT_EQ(jazz.name, QStringLiteral("Jazz FM")) << "one line, no control characters";
  EXPECT_EQ(jazz.playableLink(), QStringLiteral("https://j/live")) << "the resolved link first";
  EXPECT_EQ(jazz.logoLink(), QString()) << "only web links are fetched";
  EXPECT_EQ(jazz.firstTag(), QStringLiteral("jazz"));
  EXPECT_EQ(jazz.country, QString()) << "a list where a text belongs reads as empty";
  EXPECT_EQ(jazz.codec, QString());
  EXPECT_EQ(jazz.bitrate, 128);
  EXPECT_EQ(jazz.votes, 0);
  EXPECT_EQ(jazz.clickCount, std::numeric_limits<int>::max());
  EXPECT_TRUE(jazz.broken);

  const DirectoryStation& hostile = parsed.items[1];
  EXPECT_LE(hostile.name.size(), 400);
  EXPECT_EQ(hostile.playableLink(), QString()) << "neither a file nor an ftp link is played";
  EXPECT_EQ(hostile.logoLink(), QStringLiteral("http://logo/x.png"));
  EXPECT_FALSE(hostile.broken) << "no check result is not a broken mark";
}

TEST(DirectoryAnswer, FacetsKeepNamesCountsAndCountryCodes) {
  const Parsed<Facet> countries = parseFacets(
      R"j([{"name":"Germany","iso_3166_1":"DE","stationcount":3},{"name":"","stationcount":1},{"stationcount":"2"}])j",
      FacetKind::Countries);
  ASSERT_TRUE(countries.ok());
  EXPECT_EQ(countries.items, (std::vector<Facet>{{QStringLiteral("Germany"), QStringLiteral("DE"), 3}}))
      << "entries without a name are dropped";
  const Parsed<Facet> tags = parseFacets(R"j([{"name":"jazz","iso_3166_1":"XX","stationcount":2}])j", FacetKind::Tags);
  EXPECT_EQ(tags.items, (std::vector<Facet>{{QStringLiteral("jazz"), QString(), 2}}));
  EXPECT_FALSE(parseFacets("<html>", FacetKind::Tags).ok());
}

}  // namespace
