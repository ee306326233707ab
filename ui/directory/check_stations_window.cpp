#include "check_stations_window.h"

#include "directory_texts.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qv::ui {
namespace {

using qv::directory::DeadReason;
using qv::directory::Verdict;

enum Column : int { StationColumn, VerdictColumn, LinkColumn, ReplacementColumn, ColumnCount };

}  // namespace

CheckStationsWindow::CheckStationsWindow(qv::directory::CheckOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_options(std::move(options)),
      m_rows(new QTreeWidget(this)),
      m_progress(new QProgressBar(this)),
      m_status(new QLabel(this)),
      m_cancel(new QPushButton(this)),
      m_apply(new QPushButton(this)),
      m_applyAll(new QPushButton(this)),
      m_close(new QPushButton(this)) {
  setObjectName(QStringLiteral("CheckStationsWindow"));
  m_rows->setObjectName(QStringLiteral("checkRows"));
  m_rows->setColumnCount(ColumnCount);
  m_rows->setRootIsDecorated(false);
  m_rows->setUniformRowHeights(true);
  m_rows->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_rows->header()->setStretchLastSection(true);
  m_status->setTextFormat(Qt::PlainText);
  m_status->setWordWrap(true);
  m_status->setObjectName(QStringLiteral("checkStatus"));
  m_cancel->setObjectName(QStringLiteral("checkCancel"));
  m_apply->setObjectName(QStringLiteral("checkApply"));
  m_applyAll->setObjectName(QStringLiteral("checkApplyAll"));
  m_close->setObjectName(QStringLiteral("checkClose"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_cancel);
  buttons->addStretch(1);
  buttons->addWidget(m_apply);
  buttons->addWidget(m_applyAll);
  buttons->addWidget(m_close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_rows, 1);
  layout->addWidget(m_progress);
  layout->addWidget(m_status);
  layout->addLayout(buttons);
  resize(820, 460);

  connect(m_cancel, &QPushButton::clicked, this, [this] {
    if (m_check) {
      m_check->cancel();
    }
  });
  connect(m_apply, &QPushButton::clicked, this, &CheckStationsWindow::applySelected);
  connect(m_applyAll, &QPushButton::clicked, this, &CheckStationsWindow::applyAll);
  connect(m_close, &QPushButton::clicked, this, &QWidget::close);
  connect(m_rows, &QTreeWidget::itemSelectionChanged, this, &CheckStationsWindow::updateButtons);
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
  retranslate();
  updateButtons();
}

void CheckStationsWindow::retranslate() {
  setWindowTitle(qv::l_checktitle);
  m_rows->setHeaderLabels({qv::l_checkstation, qv::l_checkverdict, qv::l_checklink, qv::l_checkreplacement});
  m_cancel->setText(qv::l_checkcancel);
  m_apply->setText(qv::l_checkapply);
  m_applyAll->setText(qv::l_checkapplyall);
  m_close->setText(qv::l_findclose);
}

bool CheckStationsWindow::running() const {
  return m_check && m_check->running();
}

void CheckStationsWindow::start(const std::vector<qv::stations::StationEntry>& stations) {
  // A new check object each time: the one before (if it still runs) is cancelled and waited for.
  m_check = std::make_unique<qv::directory::StationCheck>(m_options);
  connect(m_check.get(), &qv::directory::StationCheck::stationChecked, this, &CheckStationsWindow::showChecked);
  connect(m_check.get(), &qv::directory::StationCheck::finished, this, &CheckStationsWindow::showFinished);
  m_stations = stations;
  m_checked.assign(stations.size(), std::nullopt);
  m_rows->clear();
  for (const qv::stations::StationEntry& station : stations) {
    auto* item = new QTreeWidgetItem(m_rows);
    item->setText(StationColumn, station.Name.isEmpty() ? station.Link : station.Name);
    item->setText(LinkColumn, station.Link);
    item->setToolTip(LinkColumn, station.Link);  // a long link is elided in its cell
  }
  m_rows->header()->resizeSection(StationColumn, 200);
  m_rows->header()->resizeSection(VerdictColumn, 140);
  m_rows->header()->resizeSection(LinkColumn, 240);
  m_progress->setRange(0, std::max<int>(1, static_cast<int>(stations.size())));
  m_progress->setValue(0);
  if (stations.empty()) {
    m_status->setText(qv::l_checkempty);
    m_progress->setValue(1);
    updateButtons();
    return;
  }
  m_status->setText(qv::l_checkprogress.arg(0).arg(stations.size()));
  m_check->start(stations);
  updateButtons();
}

QString CheckStationsWindow::verdictText(const qv::directory::ProbeResult& probe) const {
  switch (probe.verdict) {
    case Verdict::Alive:
      return qv::l_checkalive;
    case Verdict::Moved:
      return qv::l_checkmoved;
    case Verdict::Unchecked:
      return qv::l_checkunchecked;
    case Verdict::Dead:
      break;
  }
  QString reason;
  switch (probe.reason) {
    case DeadReason::Refused:
      reason = qv::l_checkrefused;
      break;
    case DeadReason::HttpStatus:
      reason = QString::number(probe.status);
      break;
    case DeadReason::TimedOut:
      reason = qv::l_checktimeout;
      break;
    case DeadReason::NotAudio:
      reason = qv::l_checknotaudio;
      break;
    case DeadReason::Unreachable:
      reason = qv::l_checkunreachable;
      break;
    case DeadReason::BadLink:
    case DeadReason::None:
      reason = qv::l_checkbadlink;
      break;
  }
  return qv::l_checkdead.arg(reason);
}

void CheckStationsWindow::showChecked(const qv::directory::CheckedStation& checked, int done, int total) {
  if (checked.index < 0 || checked.index >= m_rows->topLevelItemCount()) {
    return;
  }
  m_checked[static_cast<std::size_t>(checked.index)] = checked;
  QTreeWidgetItem* item = m_rows->topLevelItem(checked.index);
  item->setText(VerdictColumn, verdictText(checked.probe));
  item->setText(ReplacementColumn, checked.replacement ? checked.replacement->link : QString());
  item->setToolTip(ReplacementColumn, item->text(ReplacementColumn));
  m_progress->setValue(done);
  m_status->setText(qv::l_checkprogress.arg(done).arg(total));
  updateButtons();
}

void CheckStationsWindow::showFinished(const qv::directory::CheckSummary& summary) {
  m_progress->setValue(m_progress->maximum());
  if (summary.networkDown) {
    m_status->setText(qv::l_checknetworkdown);
  } else {
    m_status->setText(qv::l_checksummary.arg(summary.alive).arg(summary.dead).arg(summary.moved));
  }
  updateButtons();
}

void CheckStationsWindow::applySelected() {
  std::vector<Change> changes;
  for (QTreeWidgetItem* item : m_rows->selectedItems()) {
    const int index = m_rows->indexOfTopLevelItem(item);
    const auto& checked = m_checked[static_cast<std::size_t>(index)];
    if (checked && checked->replacement && !item->isDisabled()) {
      qv::stations::StationEntry after = checked->station;
      after.Link = checked->replacement->link;
      if (!checked->replacement->uuid.isEmpty()) {
        after.StationUuid = checked->replacement->uuid;
      }
      if (after.Preview.isEmpty()) {
        after.Preview = checked->replacement->logo;
      }
      changes.push_back({index, checked->station, after});
      item->setDisabled(true);  // applied: once is enough
    }
  }
  if (!changes.empty()) {
    emit applyRequested(changes);
  }
  updateButtons();
}

void CheckStationsWindow::applyAll() {
  m_rows->selectAll();
  applySelected();
}

void CheckStationsWindow::updateButtons() {
  const bool checking = running();
  m_cancel->setEnabled(checking);
  bool anySelected = false;
  bool any = false;
  for (int i = 0; i < m_rows->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = m_rows->topLevelItem(i);
    const bool offered = m_checked[static_cast<std::size_t>(i)] &&
                         m_checked[static_cast<std::size_t>(i)]->replacement && !item->isDisabled();
    any = any || offered;
    anySelected = anySelected || (offered && item->isSelected());
  }
  m_apply->setEnabled(anySelected);
  m_applyAll->setEnabled(any);
}

void CheckStationsWindow::closeEvent(QCloseEvent* event) {
  if (m_check) {
    m_check->cancel();  // the result of a closed window is of no use
  }
  QWidget::closeEvent(event);
}

}  // namespace qv::ui
