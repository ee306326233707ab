#pragma once

#include "directory_service.h"
#include "directory_station.h"

#include <QSet>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace qv::directory {
class DirectoryClient;
}
namespace qv::playlists {
class LogoFetcher;
}

namespace qv::ui {

class ResultsModel;

//! The window that searches the community station directory. Typing searches after a short pause
//! (Enter in the name field at once); only the newest search's answer is shown, and an error is
//! shown as an error. Results are paged in as the list is scrolled. A result is played (double
//! click, the Play button) without being added, and added with Enter or the Add button. GUI thread.
class FindStationsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit FindStationsWindow(qv::directory::DirectoryClient& client, QWidget* parent = nullptr);

  //! Captions and column titles from the current language texts.
  void retranslate();
  //! The query the fields make now (offset 0).
  qv::directory::SearchQuery query() const;
  //! Starts the search of the fields at once.
  void searchNow();

  static constexpr int kPageSize = 50;
  static constexpr int kTypingPauseMs = 400;
  static constexpr int kLogoPixels = 20;

  // For tests and keyboard navigation.
  QLineEdit* nameEdit() const { return m_name; }
  QTableView* resultsView() const { return m_results; }
  QLabel* statusLabel() const { return m_status; }
  ResultsModel* results() const { return m_model; }

 signals:
  void playRequested(const qv::directory::DirectoryStation& station);
  void addRequested(const qv::directory::DirectoryStation& station);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void fieldsChanged();
  void showAnswer(quint64 search, const qv::directory::SearchQuery& query,
                  const std::vector<qv::directory::DirectoryStation>& stations, const QString& error);
  void fillFacet(qv::directory::FacetKind kind, const std::vector<qv::directory::Facet>& facets, const QString& error);
  void loadMoreWhenNearTheEnd();
  const qv::directory::DirectoryStation* selectedStation() const;
  void playSelected();
  void addSelected();
  void updateButtons();
  //! The logos of `stations`: from the logo cache's files, else fetched into them.
  void showLogos(const std::vector<qv::directory::DirectoryStation>& stations);

  qv::directory::DirectoryClient& m_client;
  QLineEdit* m_name;
  QComboBox* m_tag;
  QComboBox* m_country;
  QComboBox* m_language;
  QComboBox* m_codec;
  QComboBox* m_bitrate;
  QComboBox* m_sort;
  QTableView* m_results;
  ResultsModel* m_model;
  QLabel* m_status;
  QPushButton* m_play;
  QPushButton* m_add;
  QPushButton* m_close;
  QList<QLabel*> m_fieldLabels;
  QTimer* m_typingPause;
  qv::playlists::LogoFetcher* m_logos;
  QSet<QString> m_logosAsked;          // favicon links fetched or being fetched this session
  qv::directory::SearchQuery m_shown;  // the query whose results the list shows
  bool m_morePages = false;
  bool m_pageRequested = false;
  bool m_facetsAsked = false;
};

}  // namespace qv::ui
