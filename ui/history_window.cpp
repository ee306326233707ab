#include "history_window.h"

#include "file_dialogs.h"
#include "history_csv.h"
#include "label_links.h"
#include "listening_texts.h"
#include "open_url.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qv::ui {

HistoryWindow::HistoryWindow(const QString& databasePath, QWidget* parent)
    : QWidget(parent, Qt::Window), m_path(databasePath), m_search(new QLineEdit(this)), m_list(new QTreeWidget(this)) {
  setObjectName(QStringLiteral("HistoryWindow"));
  resize(640, 420);

  m_search->setObjectName(QStringLiteral("HistorySearch"));
  m_search->setClearButtonEnabled(true);
  connect(m_search, &QLineEdit::textChanged, this, &HistoryWindow::refresh);

  m_list->setObjectName(QStringLiteral("HistoryList"));
  m_list->setRootIsDecorated(false);
  m_list->setUniformRowHeights(true);  // quick to lay out however many rows come
  m_list->setHeaderLabels({QString(), QString(), QString()});
  m_list->header()->setVisible(false);
  m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  m_list->header()->setSectionResizeMode(1, QHeaderView::Interactive);
  m_list->setColumnWidth(1, 150);
  m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { playSelectedStation(); });

  auto* buttons = new QHBoxLayout;
  const auto addButton = [&](const QString& text, const char* name, void (HistoryWindow::*action)()) {
    auto* button = new QPushButton(this);
    button->setObjectName(QString::fromLatin1(name));
    connect(button, &QPushButton::clicked, this, action);
    buttons->addWidget(button);
    auto* menuAction = new QAction(m_list);
    connect(menuAction, &QAction::triggered, this, action);
    m_list->addAction(menuAction);
    m_commands.append({button, menuAction, &text});
  };
  addButton(qv::l_historycopy, "HistoryCopy", &HistoryWindow::copySelectedTitle);
  addButton(qv::l_historyweb, "HistoryWeb", &HistoryWindow::searchSelectedTitleOnTheWeb);
  addButton(qv::l_historyplay, "HistoryPlay", &HistoryWindow::playSelectedStation);
  buttons->addStretch();
  addButton(qv::l_historyexport, "HistoryExport", &HistoryWindow::askToExport);
  addButton(qv::l_historyclear, "HistoryClear", &HistoryWindow::askToClear);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_search);
  layout->addWidget(m_list);
  layout->addLayout(buttons);
  applyTexts();
}

// Like the settings window: the search box and the list leave Escape to the window.
void HistoryWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void HistoryWindow::applyTexts() {
  setWindowTitle(qv::l_history);
  m_search->setPlaceholderText(qv::l_historysearch);
  for (const Command& command : m_commands) {
    command.button->setText(*command.text);
    command.menuAction->setText(*command.text);
  }
}

bool HistoryWindow::ensureReader() {
  // The writer creates the file with the first title; until then there is nothing to read.
  return m_reader.isOpen() || (QFileInfo::exists(m_path) && m_reader.openForReading(m_path));
}

void HistoryWindow::refresh() {
  m_entries = ensureReader() ? m_reader.search(m_search->text(), kShownRows) : QList<qv::history::HistoryEntry>();
  m_list->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(m_entries.size());
  for (const auto& entry : m_entries) {
    items.append(new QTreeWidgetItem(QStringList{
        entry.heardAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")), entry.stationName, entry.title}));
  }
  m_list->addTopLevelItems(items);
  if (!items.isEmpty()) {
    m_list->setCurrentItem(items.front());
  }
}

const qv::history::HistoryEntry* HistoryWindow::selectedEntry() const {
  const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
  return row >= 0 && row < m_entries.size() ? &m_entries[row] : nullptr;
}

void HistoryWindow::copySelectedTitle() {
  if (const auto* entry = selectedEntry()) {
    QApplication::clipboard()->setText(entry->title);
  }
}

void HistoryWindow::searchSelectedTitleOnTheWeb() {
  if (const auto* entry = selectedEntry(); entry && !entry->title.isEmpty()) {
    openUrl(videoSearchUrl(entry->title));
  }
}

void HistoryWindow::playSelectedStation() {
  if (const auto* entry = selectedEntry()) {
    emit playRequested(entry->stationName, entry->stationLink);
  }
}

QString HistoryWindow::exportTo(const QString& path) {
  if (!ensureReader()) {
    return qv::history::exportHistoryCsv(path, {});
  }
  return qv::history::exportHistoryCsv(path, m_reader.search(QString(), -1));
}

void HistoryWindow::askToExport() {
  const QString path = chooseFile(this, QFileDialog::AcceptSave, qv::l_historyexport,
                                  dialogStartFolder() + QStringLiteral("/history.csv"), {QStringLiteral("CSV (*.csv)")},
                                  QStringLiteral("csv"));
  if (path.isEmpty()) {
    return;
  }
  if (const QString error = exportTo(path); !error.isEmpty()) {
    QMessageBox::warning(this, qv::l_history, error);
  }
}

void HistoryWindow::askToClear() {
  if (QMessageBox::question(this, qv::l_history, qv::l_historyclearconfirm) == QMessageBox::Yes) {
    emit clearRequested();
  }
}

}  // namespace qv::ui
