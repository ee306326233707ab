#include "ini_playlist.h"

#include <array>

namespace qv::stations {
namespace {

struct KeyNames {
  QLatin1String name;
  QLatin1String link;
};

KeyNames keyNames(KeyScheme scheme) {
  if (scheme == KeyScheme::NameLink) {
    return {QLatin1String("Name"), QLatin1String("Link")};
  }
  return {QLatin1String("Title"), QLatin1String("File")};
}

enum Field : int { kName, kLink, kTag, kPreview, kUuid, kFieldCount };
using Numbered = std::array<const QString*, kFieldCount>;

// The n of a key spelled prefix + n (any letter case, n decimal without leading zeros), or 0.
qsizetype keyNumber(QStringView key, QLatin1String prefix) {
  if (key.size() <= prefix.size() || key.size() > prefix.size() + 9 || !key.startsWith(prefix, Qt::CaseInsensitive)) {
    return 0;
  }
  const QStringView digits = key.sliced(prefix.size());
  if (digits.front() == QLatin1Char('0')) {
    return 0;
  }
  qsizetype n = 0;
  for (const QChar c : digits) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
      return 0;
    }
    n = n * 10 + (c.unicode() - u'0');
  }
  return n;
}

}  // namespace

QString singleLine(QString value) {
  for (QChar& c : value) {
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
      c = QLatin1Char(' ');
    }
  }
  return value;
}

KeyScheme detectKeyScheme(const ini::IniSection& section) {
  if (section.contains(u"File1")) {
    return KeyScheme::FileTitle;
  }
  if (section.contains(u"Name1")) {
    return KeyScheme::NameLink;
  }
  return KeyScheme::None;
}

std::vector<StationEntry> readEntries(const ini::IniSection& section, EntryStopRule stopRule) {
  std::vector<StationEntry> entries;
  const KeyScheme scheme = detectKeyScheme(section);
  if (scheme == KeyScheme::None) {
    return entries;
  }
  // One walk over the lines instead of four lookups per number: a list of 100,000 stations has
  // 400,000 keys.
  const KeyNames keys = keyNames(scheme);
  const QLatin1String prefixes[kFieldCount] = {keys.name, keys.link, QLatin1String("Tag"), QLatin1String("Preview"),
                                               QLatin1String("stationuuid")};
  std::vector<Numbered> byNumber;
  const auto maxNumber = static_cast<qsizetype>(section.lines().size());  // reading stops at the first gap
  for (const ini::IniSection::Line& line : section.lines()) {
    if (!line.isPair) {
      continue;
    }
    for (int field = 0; field < kFieldCount; ++field) {
      const qsizetype n = keyNumber(line.key, prefixes[field]);
      if (n < 1 || n > maxNumber) {
        continue;
      }
      if (static_cast<std::size_t>(n) > byNumber.size()) {
        byNumber.resize(static_cast<std::size_t>(n));
      }
      const QString*& slot = byNumber[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(field)];
      if (!slot) {
        slot = &line.value;  // the first line of a key is the one that is read
      }
      break;
    }
  }

  for (const Numbered& numbered : byNumber) {
    const QString* name = numbered[kName];
    const QString* link = numbered[kLink];
    if (stopRule == EntryStopRule::NoNameOrLinkKey && !name && !link) {
      break;
    }
    if (stopRule == EntryStopRule::MissingLink) {
      if (!link || link->isEmpty()) {
        break;
      }
      if (!name || name->isEmpty()) {
        name = link;
      }
    }
    const auto valueOf = [](const QString* value) { return value ? *value : QString(); };
    entries.push_back(
        {valueOf(name), valueOf(link), valueOf(numbered[kTag]), valueOf(numbered[kPreview]), valueOf(numbered[kUuid])});
  }
  return entries;
}

void writeEntries(ini::IniSection& section, const QString& playlistPath, const std::vector<StationEntry>& entries) {
  section.reserve(static_cast<qsizetype>(entries.size()) * 4 + 1);
  section.append(QStringLiteral("Path"), singleLine(playlistPath));
  int n = 0;
  for (const StationEntry& entry : entries) {
    const QString number = QString::number(++n);
    section.append(QLatin1String("File") + number, singleLine(entry.Link));
    section.append(QLatin1String("Title") + number, singleLine(entry.Name));
    section.append(QLatin1String("Tag") + number, singleLine(entry.Tag));
    section.append(QLatin1String("Preview") + number, singleLine(entry.Preview));
  }
}

void writeStationUuids(ini::IniSection& section, const std::vector<StationEntry>& entries) {
  int n = 0;
  for (const StationEntry& entry : entries) {
    ++n;
    if (!entry.StationUuid.isEmpty()) {
      section.append(QLatin1String("stationuuid") + QString::number(n), singleLine(entry.StationUuid));
    }
  }
}

}  // namespace qv::stations
