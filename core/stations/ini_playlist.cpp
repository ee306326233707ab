#include "ini_playlist.h"

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

QString numbered(QLatin1String key, int n) {
  return key + QString::number(n);
}

QString singleLine(QString value) {
  for (QChar& c : value) {
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
      c = QLatin1Char(' ');
    }
  }
  return value;
}

}  // namespace

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
  const KeyNames keys = keyNames(scheme);
  for (int n = 1;; ++n) {
    std::optional<QString> name = section.value(numbered(keys.name, n));
    std::optional<QString> link = section.value(numbered(keys.link, n));
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
    entries.push_back({name.value_or(QString()), link.value_or(QString()),
                       section.value(numbered(QLatin1String("Tag"), n)).value_or(QString()),
                       section.value(numbered(QLatin1String("Preview"), n)).value_or(QString())});
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

}  // namespace qv::stations
