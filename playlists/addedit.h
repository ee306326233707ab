#pragma once

#include "interface_texts.h"
#include "stations/station_entry.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qv::playlists {
class LogoFetcher;
}

//! The add/edit station dialog. Created once at start-up, after the popup player; it lives until
//! the program ends and is shown modally for each Add or Edit. Its fields are emptied whenever it
//! closes. A confirmed logo address is downloaded into the logo cache off the GUI thread; the
//! station is stored whether or not that download succeeds.
class TAddEditForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAddEditForm(QWidget* parent = nullptr);
  ~TAddEditForm() override;

  //! Receives the station of a confirmed dialog: EDIT_ID -1 appends it, otherwise it replaces
  //! PLAY_ARRAY entry EDIT_ID. The receiver rebuilds the list.
  using Store = std::function<void(int EDIT_ID, const qv::stations::StationEntry& entry)>;
  void setStore(Store store) { m_store = std::move(store); }
  //! Shows a message to the user (the logo could not be saved); tests replace it.
  void setInform(std::function<void(const QString&)> inform) { m_inform = std::move(inform); }
  //! The texts FormShow applies; the built-in English until set.
  void setTexts(const qv::i18n::MainFormTexts* texts) { m_texts = texts; }
  //! Where logos are stored; CoversFolder unless set (tests).
  void setCoversFolder(QString folder) { m_coversFolder = std::move(folder); }
  qv::playlists::LogoFetcher& logoFetcher() { return *m_fetcher; }

  //! -1: a new station; otherwise the PLAY_ARRAY index of the station being edited.
  int EDIT_ID = -1;

  void FormShow();
  void bOkClick();
  void FormClose();

  QLabel* lName;
  QLineEdit* eName;
  QLabel* lLink;
  QLineEdit* eLink;
  QLabel* lTag;
  QLineEdit* eTag;
  QLabel* lLogo;
  QLineEdit* eLogo;
  QPushButton* bOk;
  QPushButton* bcancel;

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  Store m_store;
  std::function<void(const QString&)> m_inform;
  const qv::i18n::MainFormTexts* m_texts = nullptr;
  QString m_coversFolder;
  qv::playlists::LogoFetcher* m_fetcher;
};

//! Program-wide reference; empty until the dialog has been created.
extern TAddEditForm* AddEditForm;
