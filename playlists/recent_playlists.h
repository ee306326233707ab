#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace qv::playlists {

//! `recent_playlists.ini` in DataFolder.
QString recentPlaylistsFile();

//! One slot of the recent list; empty when its path is empty.
struct RecentSlot {
  QString path;
  QString name;

  bool operator==(const RecentSlot&) const = default;
};

//! The ten most recent playlists that replaced the station list, slot 1 (index 0) the newest, and
//! the row drawn bold. Rows are the used slots in slot order. GUI thread only; no widgets.
class RecentPlaylists {
 public:
  static constexpr int kSlots = 10;

  //! The file name without its folder and without the text after its last dot.
  static QString displayName(const QString& path);

  const std::array<RecentSlot, kSlots>& recentSlots() const { return m_slots; }
  //! 1-based row drawn bold, 0 for none.
  int RecentMarker() const { return m_marker; }

  //! Moves `path` (matched with letter case) or a new slot for it to the top and marks it.
  void AddRecentFile(const QString& path);
  //! The display names of the rows; right after loading an empty list, the one placeholder row.
  QStringList rows() const;
  //! The path shown by `row`, empty for the placeholder or no row.
  QString pathOfRow(int row) const;
  //! Drops the placeholder row: the rows are the used slots from now on.
  void RebuildRecentPL() { m_placeholderRow = false; }
  //! Removes the slot shown by `row`, later slots moving up; the bold mark stays on its entry.
  void removeRow(int row);
  void clear();

  //! The "Add to current" answer while slot 1 is the placeholder: the placeholder becomes an entry
  //! for `path` shown as `name`.
  void fillPlaceholder(const QString& unsavedText, const QString& path, const QString& name);
  //! Shows the placeholder row as `unsavedText` from now on (the language changed); no effect
  //! without a placeholder row.
  void renamePlaceholder(const QString& unsavedText);

  //! Reads section "recent" of `file` (slots 1 to 10, gaps kept) and marks the row of
  //! `PlaylistPath`; with no slot used, installs the placeholder showing `unsavedText`. Returns an
  //! empty string, or why the file could not be read (the list then starts with the placeholder).
  QString load(const QString& file, const QString& PlaylistPath, const QString& unsavedText);
  //! Writes section "recent" of `file`, keeping its other sections; empty string on success.
  QString save(const QString& file) const;

 private:
  int slotOfRow(int row) const;

  std::array<RecentSlot, kSlots> m_slots;
  int m_marker = 0;
  bool m_placeholderRow = false;
};

}  // namespace qv::playlists
