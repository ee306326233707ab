#include "now_playing.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <random>

namespace pb = qv::playback;

namespace {

struct NowPlayingCase {
  const char* what;
  pb::StreamTags tags;
  std::optional<QString> title;
};

// The whole literal, NUL bytes included.
template <std::size_t N>
QByteArray bytes(const char (&literal)[N]) {
  return QByteArray(literal, N - 1);
}
pb::StreamTags icy(QByteArray metadata) {
  return {std::move(metadata), std::nullopt, std::nullopt};
}
pb::StreamTags ogg(QByteArray comments) {
  return {std::nullopt, std::move(comments), std::nullopt};
}
pb::StreamTags hls(QByteArray label) {
  return {std::nullopt, std::nullopt, std::move(label)};
}
QString text(const char* utf8) {
  return QString::fromUtf8(utf8);
}

TEST(ReadNowPlaying, FindsTheTitleOfEachKindOfTag) {
  const NowPlayingCase cases[] = {
      {"icy usual", icy("StreamTitle='Artist - Song';StreamUrl='';"), text("Artist - Song")},
      {"icy semicolon in title", icy("StreamTitle='XY;Z';"), text("XY;Z")},
      {"icy quote and semicolon", icy("StreamTitle='It's; fine';StreamUrl='x';"), text("It's; fine")},
      {"icy url first", icy("StreamUrl='http://radio/';StreamTitle='Song';"), text("Song")},
      {"icy url naming the field", icy("StreamUrl='http://r/?StreamTitle=No';StreamTitle='Yes';"), text("Yes")},
      {"icy last field, NUL padding", icy(bytes("StreamTitle='Song'\0\0\0")), text("Song")},
      {"icy field without a value first", icy("junk;StreamTitle='T';"), text("T")},
      {"icy unquoted", icy("StreamTitle=Plain;StreamUrl=x;"), text("Plain")},
      {"icy empty title is a title", icy("StreamTitle='';"), QString()},
      {"icy Latin-1 title", icy("StreamTitle='Caf\xe9 Ol\xe9 \x96 Live';"), text("Café Olé – Live")},
      {"icy UTF-8 title", icy("StreamTitle='Caf\xc3\xa9';"), text("Café")},
      {"icy without a title", icy("StreamUrl='x';"), std::nullopt},
      {"icy without a title ends the search", {bytes("StreamUrl='x';"), bytes("TITLE=T"), bytes("1,L")}, std::nullopt},
      {"icy title, then the hls label", {bytes("StreamTitle='A';"), std::nullopt, bytes("1,B")}, text("B")},
      {"ogg names in any case, anywhere", ogg(bytes("encoder=x\0TITLE=Song\0Artist=Band")), text("Band - Song")},
      {"ogg title alone", ogg(bytes("vendor=y\0title=Song")), text("Song")},
      {"ogg artist alone", ogg("artist=Band"), text("Band")},
      {"ogg first of each name", ogg(bytes("title=One\0title=Two")), text("One")},
      {"ogg without names", ogg("encoder=x"), QString()},
      {"ogg before hls", {std::nullopt, bytes("title=Ogg"), bytes("1,Hls")}, text("Ogg")},
      {"hls after the first comma", hls("10.0,News at ten, part 2"), text("News at ten, part 2")},
      {"hls without a comma", hls("Jingle"), text("Jingle")},
      {"hls empty", hls(""), std::nullopt},
      {"no tag yet", {}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pb::readNowPlaying(c.tags), c.title) << c.what;
  }
}

// Any title that does not hold the field's end (a quote followed by ";") comes back whole, in
// either field order, whatever quotes, semicolons and equals signs it holds.
TEST(ReadNowPlaying, StreamTitleKeepsEveryTitleThatDoesNotEndItsField) {
  std::mt19937 random(6);  // fixed seed: the same titles on every run
  const QByteArray alphabet = "ab ';=-";
  for (int round = 0; round < 500; ++round) {
    QByteArray title;
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) {
      title.append(alphabet[static_cast<qsizetype>(random() % alphabet.size())]);
    }
    if (title.contains("';")) {
      continue;
    }
    const QByteArray titleField = "StreamTitle='" + title + "';";
    const QByteArray urlField = "StreamUrl='http://r/;x';";
    const QByteArray metadata = (random() % 2 == 0) ? titleField + urlField : urlField + titleField;
    EXPECT_EQ(pb::icyStreamTitle(metadata), title) << metadata.toStdString();
  }
}

// A station may send kilobytes of title: at most 1 KiB is kept, never half a character.
TEST(ReadNowPlaying, ALongTitleIsCutToOneKibibyteBetweenCharacters) {
  struct Case {
    const char* name;
    QString title;
    qsizetype expectedBytes;
  };
  const QString euro(1000, QChar(0x20AC));  // three bytes each
  const Case cases[] = {
      {"plain letters", QString(3000, QLatin1Char('x')), 1024},
      {"two-byte letters", QString(1500, QChar(0xE9)), 1024},
      {"a three-byte sign across the limit", QStringLiteral("ab") + euro, 2 + 340 * 3},
      {"short enough", QStringLiteral("Artist - Song"), 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    pb::StreamTags tags;
    tags.icyMetadata = "StreamTitle='" + c.title.toUtf8() + "';";
    const std::optional<QString> title = pb::readNowPlaying(tags);
    ASSERT_TRUE(title.has_value());
    EXPECT_EQ(title->toUtf8().size(), c.expectedBytes);
    EXPECT_TRUE(c.title.startsWith(*title));
  }
}

}  // namespace
