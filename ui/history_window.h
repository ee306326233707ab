#pragma once

#include "history_database.h"
#include "history_entry.h"

#include <QList>
#include <QString>
#include <QWidget>

class QAction;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace qv::ui {

//! The titles heard, newest first with their time and station, searched as the user types. It
//! reads the history database through a connection of its own; writing and clearing belong to
//! the recorder (clearRequested).
class HistoryWindow : public QWidget {
  Q_OBJECT

 public:
  //! Rows shown at a time: the newest that match.
  static constexpr int kShownRows = 200;

  explicit HistoryWindow(const QString& databasePath, QWidget* parent = nullptr);

  //! Runs the search again (after a title was stored or the history cleared).
  void refresh();
  //! The title, the search box's hint and the buttons' and menu's captions in the current language.
  void applyTexts();
  QLineEdit* searchBox() const { return m_search; }
  QTreeWidget* list() const { return m_list; }
  const QList<qv::history::HistoryEntry>& shownEntries() const { return m_entries; }

  //! The actions of the buttons and the context menu, on the selected row.
  void copySelectedTitle();
  void searchSelectedTitleOnTheWeb();
  void playSelectedStation();
  //! Writes every stored title to `path`; returns the error, or an empty string.
  QString exportTo(const QString& path);

 signals:
  void playRequested(const QString& stationName, const QString& stationLink);
  //! The user confirmed that the whole history goes.
  void clearRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const qv::history::HistoryEntry* selectedEntry() const;
  void askToExport();
  void askToClear();
  bool ensureReader();

  QString m_path;
  qv::history::HistoryDatabase m_reader;
  QLineEdit* m_search;
  QTreeWidget* m_list;
  QList<qv::history::HistoryEntry> m_entries;
  //! Each command's button and context-menu entry, with the text that names both.
  struct Command {
    QPushButton* button;
    QAction* menuAction;
    const QString* text;
  };
  QList<Command> m_commands;
};

}  // namespace qv::ui
