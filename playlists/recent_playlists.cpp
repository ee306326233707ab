#include "recent_playlists.h"

#include "atomic_file.h"
#include "ini/ini_file.h"
#include "paths.h"
#include "stations/ini_playlist.h"
#include "unreadable_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace qv::playlists {
namespace {

constexpr QStringView kSection = u"recent";
// Ten paths and names; anything near this size is not a file this program wrote.
constexpr qint64 kMaxFileBytes = qint64{1} << 20;

}  // namespace

QString recentPlaylistsFile() {
  return paths::DataFolder() + QStringLiteral("/recent_playlists.ini");
}

QString RecentPlaylists::displayName(const QString& path) {
  const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  const QString name = path.sliced(slash + 1);
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? name : name.first(dot);
}

void RecentPlaylists::AddRecentFile(const QString& path) {
  int found = -1;
  for (int i = 0; i < kSlots; ++i) {
    if (!m_slots[static_cast<std::size_t>(i)].path.isEmpty() && m_slots[static_cast<std::size_t>(i)].path == path) {
      found = i;  // the highest slot counts
    }
  }
  const auto first = m_slots.begin();
  if (found >= 0) {
    std::rotate(first, first + found, first + found + 1);
  } else {
    std::rotate(first, first + kSlots - 1, m_slots.end());
  }
  m_slots[0] = {path, displayName(path)};
  m_marker = 1;
  RebuildRecentPL();
}

int RecentPlaylists::slotOfRow(int row) const {
  int seen = 0;
  for (int i = 0; i < kSlots; ++i) {
    if (!m_slots[static_cast<std::size_t>(i)].path.isEmpty() && seen++ == row) {
      return i;
    }
  }
  return -1;
}

QStringList RecentPlaylists::rows() const {
  if (m_placeholderRow) {
    return {m_slots[0].name};
  }
  QStringList names;
  for (const RecentSlot& slot : m_slots) {
    if (!slot.path.isEmpty()) {
      names.append(slot.name);
    }
  }
  return names;
}

QString RecentPlaylists::pathOfRow(int row) const {
  const int slot = m_placeholderRow ? -1 : slotOfRow(row);
  return slot < 0 ? QString() : m_slots[static_cast<std::size_t>(slot)].path;
}

void RecentPlaylists::removeRow(int row) {
  const int slot = m_placeholderRow ? -1 : slotOfRow(row);
  if (slot < 0) {
    return;
  }
  std::rotate(m_slots.begin() + slot, m_slots.begin() + slot + 1, m_slots.end());
  m_slots.back() = {};
  // The mark names an entry, not a position: it follows its row up, and goes with it.
  if (m_marker == row + 1) {
    m_marker = 0;
  } else if (m_marker > row + 1) {
    --m_marker;
  }
}

void RecentPlaylists::clear() {
  m_slots = {};
  m_marker = 0;
  m_placeholderRow = false;
}

void RecentPlaylists::fillPlaceholder(const QString& unsavedText, const QString& path, const QString& name) {
  if (m_slots[0].name == unsavedText) {
    m_slots[0] = {path, name};
  }
}

void RecentPlaylists::renamePlaceholder(const QString& unsavedText) {
  if (m_placeholderRow && m_slots[0].path.isEmpty()) {
    m_slots[0].name = unsavedText;
  }
}

QString RecentPlaylists::load(const QString& file, const QString& PlaylistPath, const QString& unsavedText) {
  clear();
  QString error;
  QFile in(file);
  if (in.exists()) {
    if (!in.open(QIODevice::ReadOnly)) {
      error = in.errorString();
    } else if (in.size() > kMaxFileBytes) {
      error = QStringLiteral("it is larger than %1 MiB").arg(kMaxFileBytes >> 20);
    } else {
      const ini::IniFile::Parsed parsed = ini::IniFile::parse(in.readAll());
      error = parsed.error;
      if (const ini::IniSection* section = parsed.ok() ? parsed.file.section(kSection) : nullptr) {
        int rowsAdded = 0;
        for (int i = 0; i < kSlots; ++i) {
          const QString number = QString::number(i + 1);
          const QString path = section->value(QLatin1String("Path") + number).value_or(QString());
          if (path.isEmpty()) {
            continue;
          }
          m_slots[static_cast<std::size_t>(i)] = {path,
                                                  section->value(QLatin1String("Name") + number).value_or(QString())};
          ++rowsAdded;
          if (!PlaylistPath.isEmpty() && path == PlaylistPath) {
            m_marker = rowsAdded;
          }
        }
      }
    }
  }
  if (rows().isEmpty()) {
    m_slots[0] = {QString(), unsavedText};
    m_placeholderRow = true;
  }
  return error.isEmpty() ? QString()
                         : QStringLiteral("The recent playlists %1 cannot be read (%2).")
                               .arg(QDir::toNativeSeparators(file), error);
}

QString RecentPlaylists::save(const QString& file) const {
  ini::IniFile contents;
  QString aside;
  if (QFileInfo::exists(file)) {
    QFile in(file);
    ini::IniFile::Parsed parsed;
    const bool readable = in.open(QIODevice::ReadOnly) && in.size() <= kMaxFileBytes;
    if (readable) {
      parsed = ini::IniFile::parse(in.readAll());
    }
    if (readable && parsed.ok()) {
      contents = std::move(parsed.file);
    } else if (aside = keepUnreadableFileAside(file); aside.isEmpty()) {
      return QStringLiteral("%1 cannot be read nor renamed aside, so it is not overwritten")
          .arg(QDir::toNativeSeparators(file));
    }
  }
  contents.removeSection(kSection);
  ini::IniSection& section = contents.appendSection(kSection.toString());
  for (int i = 0; i < kSlots; ++i) {
    const RecentSlot& slot = m_slots[static_cast<std::size_t>(i)];
    if (slot.path.isEmpty()) {
      continue;  // the placeholder has no file to name
    }
    const QString number = QString::number(i + 1);
    section.append(QLatin1String("Path") + number, stations::singleLine(slot.path));
    section.append(QLatin1String("Name") + number, stations::singleLine(slot.name));
  }
  QDir().mkpath(QFileInfo(file).absolutePath());
  const QString error = writeFileAtomically(file, contents.serialize());
  if (!error.isEmpty() && !aside.isEmpty()) {
    restoreFileKeptAside(aside, file);
  }
  return error;
}

}  // namespace qv::playlists
