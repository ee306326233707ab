#include "station_list_panel.h"

#include "interface_texts.h"
#include "pane_splitter.h"
#include "station_row_delegate.h"
#include "station_rows_model.h"
#include "stations/station_list.h"
#include "stations_list_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QVBoxLayout>

#include <utility>

namespace qv::ui {
namespace {

// Language-file lines of the panel's texts.
constexpr int kSearchLine = 5;
constexpr int kRecentLine = 6;
constexpr int kTagsLine = 7;
constexpr int kEditLine = 21;
constexpr int kDeleteLine = 22;
constexpr int kDeleteAllLine = 23;

constexpr int kSmallRowHeight = 15;

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

// The question text is a format string with the station's name as its one string argument; the
// English text has no place for it.
QString formatWithName(const QString& format, const QString& name) {
  QString out;
  bool used = false;
  for (qsizetype i = 0; i < format.size(); ++i) {
    if (format[i] == QLatin1Char('%') && i + 1 < format.size()) {
      if (format[i + 1] == QLatin1Char('%')) {
        out += QLatin1Char('%');
        ++i;
        continue;
      }
      if (format[i + 1] == QLatin1Char('s') && !used) {
        out += name;
        used = true;
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

bool askYesNo(QWidget* parent, const QString& question) {
  return QMessageBox::question(parent, QString(), question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

StationListPanel::StationListPanel(stations::StationList& stations, QWidget* parent)
    : QWidget(parent), m_stations(stations), m_confirm([this](const QString& q) { return askYesNo(this, q); }) {
  setObjectName(QStringLiteral("StationListPanel"));
  // Every rule names its control: a sheet reaches the dialogs its widget parents, which keep the
  // platform's look.
  setStyleSheet(
      QStringLiteral("QListView#StationsList, QListWidget#ListsListBox, QListWidget#TagsListBox"
                     " { background: #4E4E4E; border: none; }"
                     " QLineEdit#SearchEdit { background: #313131; border: none; }"
                     " QLabel#lRecent, QLabel#lTags { color: #BBDDFF; font-family: 'Segoe UI'; font-size: 12px; }"));
  createLeftPanel();
  Splitter3 = named(new PaneSplitter(PLLeftPanel, PaneSplitter::Edge::Left, this), "Splitter3");
  createRightPanel();
  createMenus();

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(PLLeftPanel);
  layout->addWidget(Splitter3);
  layout->addWidget(PLRightPanel, 1);

  connect(&m_stations, &stations::StationList::rebuilt, this, &StationListPanel::onRebuilt);
  localize(&qv::i18n::builtInText);
  fillTagsListBox();
}

void StationListPanel::createLeftPanel() {
  PLLeftPanel = named(new QWidget(this), "PLLeftPanel");
  PLLeftPanel->setFixedWidth(106);
  PLLeftTopPanel = named(new QWidget(PLLeftPanel), "PLLeftTopPanel");
  lRecent = named(new QLabel(PLLeftTopPanel), "lRecent");
  ListsListBox = named(new QListWidget(PLLeftTopPanel), "ListsListBox");
  ListsListBox->setUniformItemSizes(true);
  ListsListBox->setContextMenuPolicy(Qt::CustomContextMenu);
  lTags = named(new QLabel(PLLeftTopPanel), "lTags");
  auto* topLayout = new QVBoxLayout(PLLeftTopPanel);
  topLayout->setContentsMargins(0, 3, 0, 0);
  topLayout->setSpacing(0);
  topLayout->addWidget(lRecent);
  topLayout->addSpacing(3);
  topLayout->addWidget(ListsListBox, 1);
  topLayout->addSpacing(6);
  topLayout->addWidget(lTags);
  lRecent->setContentsMargins(5, 0, 0, 0);
  lTags->setContentsMargins(5, 0, 0, 0);

  TagsListBox = named(new QListWidget(PLLeftPanel), "TagsListBox");
  TagsListBox->setFixedHeight(38);
  TagsListBox->setUniformItemSizes(true);
  Splitter4 = named(new PaneSplitter(TagsListBox, PaneSplitter::Edge::Bottom, PLLeftPanel), "Splitter4");
  auto* leftLayout = new QVBoxLayout(PLLeftPanel);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->setSpacing(0);
  leftLayout->addWidget(PLLeftTopPanel, 1);
  leftLayout->addWidget(Splitter4);
  leftLayout->addWidget(TagsListBox);

  connect(TagsListBox, &QListWidget::itemChanged, this, &StationListPanel::TagsListBoxClickCheck);
  connect(ListsListBox, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { emit recentPlaylistActivated(ListsListBox->row(item)); });
}

void StationListPanel::createRightPanel() {
  PLRightPanel = named(new QWidget(this), "PLRightPanel");
  SearchEdit = named(new QLineEdit(PLRightPanel), "SearchEdit");
  SearchEdit->setFixedHeight(21);
  StationsList = named(new StationsListView(PLRightPanel), "StationsList");
  m_rows = new StationRowsModel(m_stations, StationsList);
  StationsList->setModel(m_rows);
  StationsList->setItemDelegate(new StationRowDelegate(StationsList));

  m_menuRow = new QHBoxLayout;
  m_menuRow->setContentsMargins(6, 3, 4, 0);
  m_menuRow->setSpacing(6);
  m_menuRow->addWidget(SearchEdit, 1, Qt::AlignBottom);
  auto* layout = new QVBoxLayout(PLRightPanel);
  layout->setContentsMargins(3, 0, 0, 0);
  layout->setSpacing(6);
  layout->addLayout(m_menuRow);
  layout->addWidget(StationsList, 1);

  connect(SearchEdit, &QLineEdit::textChanged, this, &StationListPanel::FilterPL);
  connect(StationsList, &StationsListView::doubleClicked, this, [this] { emit playRequested(selectedRow(), true); });
  connect(StationsList, &StationsListView::enterPressed, this, [this] { emit playRequested(selectedRow(), false); });
  connect(StationsList, &StationsListView::deletePressed, this, &StationListPanel::deleteByKey);
  connect(StationsList, &StationsListView::rowDropped, this, &StationListPanel::moveSelectedTo);
}

void StationListPanel::createMenus() {
  StationsPopup = named(new QMenu(this), "StationsPopup");
  StationsPopup->addAction(QString(), this, &StationListPanel::Edit1Click);
  StationsPopup->addAction(QString(), this, &StationListPanel::Delete1Click);
  connect(StationsList, &StationsListView::contextMenuRequested, StationsPopup,
          [this](const QPoint& at) { StationsPopup->popup(at); });

  RecentPLPopup = named(new QMenu(this), "RecentPLPopup");
  RecentPLPopup->addAction(QString(), this, &StationListPanel::deleteRecentRequested);
  RecentPLPopup->addAction(QString(), this, &StationListPanel::deleteAllRecentRequested);
  connect(ListsListBox, &QListWidget::customContextMenuRequested, RecentPLPopup,
          [this](const QPoint& at) { RecentPLPopup->popup(ListsListBox->viewport()->mapToGlobal(at)); });
}

void StationListPanel::setConfirm(Confirm confirm) {
  m_confirm = std::move(confirm);
}

void StationListPanel::localize(const TextOfLine& text) {
  lRecent->setText(text(kRecentLine));
  lTags->setText(text(kTagsLine));
  SearchEdit->setPlaceholderText(text(kSearchLine));
  StationsPopup->actions()[0]->setText(text(kEditLine));
  StationsPopup->actions()[1]->setText(text(kDeleteLine));
  RecentPLPopup->actions()[0]->setText(text(kDeleteLine));
  RecentPLPopup->actions()[1]->setText(text(kDeleteAllLine));
}

void StationListPanel::setMenuButton(QWidget* button) {
  m_menuRow->insertWidget(0, button, 0, Qt::AlignTop);
}

int StationListPanel::selectedRow() const {
  return StationsList->selectedRow();
}

void StationListPanel::FilterPL() {
  m_stations.FilterPL(SearchEdit->text());
}

void StationListPanel::TagsListBoxClickCheck(QListWidgetItem* item) {
  m_stations.setTagChecked(TagsListBox->row(item), item->checkState() == Qt::Checked);
  // A rebuild without a filter refills this list; that must not happen inside its own signal.
  m_handlingTagCheck = true;
  FilterPL();
  m_handlingTagCheck = false;
}

void StationListPanel::fillTagsListBox() {
  const QSignalBlocker blocker(TagsListBox);
  TagsListBox->clear();
  for (const stations::TagItem& tag : m_stations.tags()) {
    auto* item = new QListWidgetItem(tag.text, TagsListBox);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(tag.checked ? Qt::Checked : Qt::Unchecked);
    item->setSizeHint(QSize(0, kSmallRowHeight));
  }
}

void StationListPanel::onRebuilt() {
  if (!m_stations.FilterActive()) {
    if (m_handlingTagCheck) {
      QMetaObject::invokeMethod(this, &StationListPanel::fillTagsListBox, Qt::QueuedConnection);
    } else {
      fillTagsListBox();
    }
  }
  const QModelIndex current = m_rows->index(m_stations.CurrentStation, 0);
  if (current.isValid()) {
    StationsList->scrollTo(current, QAbstractItemView::PositionAtTop);
  }
}

void StationListPanel::removeSelectedStation(int row) {
  if (!m_stations.removeStation(m_stations.playIndexOfRow(row))) {
    return;
  }
  if (row > 0) {
    StationsList->selectRow(row - 1);
  }
}

void StationListPanel::Delete1Click() {
  const int row = selectedRow();
  const stations::StationEntry* entry = m_stations.activeStation(row);
  if (!entry) {
    return;
  }
  if (m_confirm(formatWithName(qv::l_delconfirm, entry->Name))) {
    removeSelectedStation(row);
  }
  emit menuDeleteAnswered();
}

void StationListPanel::deleteByKey() {
  if (m_confirm(QStringLiteral("Delete?"))) {
    const int row = selectedRow();
    if (row >= 0) {
      removeSelectedStation(row);
    }
  }
}

void StationListPanel::Edit1Click() {
  const int row = selectedRow();
  if (const stations::StationEntry* entry = m_stations.activeStation(row)) {
    emit editStationRequested(m_stations.playIndexOfRow(row), *entry);
  }
}

void StationListPanel::moveSelectedTo(int to) {
  const int from = selectedRow();
  if (from < 0 || !m_stations.moveStation(from, to)) {
    return;
  }
  StationsList->selectRow(to);
}

}  // namespace qv::ui
