#include "find_stations_window.h"

#include "directory_client.h"
#include "directory_texts.h"
#include "logo_cache.h"
#include "paths.h"
#include "results_model.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace qv::ui {
namespace {

using qv::directory::FacetKind;
using qv::directory::SortOrder;

constexpr int kBitrates[] = {0, 64, 96, 128, 192, 256, 320};
constexpr const char* kCodecs[] = {"MP3", "AAC", "AAC+", "OGG", "OPUS", "FLAC"};

// The value a combo box stands for: its item data when an item of the list is chosen, else what
// was typed; "Any" (the first item) is no value.
QString comboValue(const QComboBox* box) {
  const int index = box->findText(box->currentText(), Qt::MatchFixedString);
  if (index == 0) {
    return {};
  }
  if (index > 0 && box->itemData(index).isValid()) {
    return box->itemData(index).toString();
  }
  return box->currentText().trimmed();
}

QComboBox* comboBox(QWidget* parent, bool editable) {
  auto* box = new QComboBox(parent);
  box->setEditable(editable);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(10);
  return box;
}

}  // namespace

FindStationsWindow::FindStationsWindow(qv::directory::DirectoryClient& client, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_client(client),
      m_name(new QLineEdit(this)),
      m_tag(comboBox(this, true)),
      m_country(comboBox(this, false)),
      m_language(comboBox(this, true)),
      m_codec(comboBox(this, false)),
      m_bitrate(comboBox(this, false)),
      m_sort(comboBox(this, false)),
      m_results(new QTableView(this)),
      m_model(new ResultsModel(this)),
      m_status(new QLabel(this)),
      m_play(new QPushButton(this)),
      m_add(new QPushButton(this)),
      m_close(new QPushButton(this)),
      m_typingPause(new QTimer(this)),
      m_logos(new qv::playlists::LogoFetcher(this)) {
  setObjectName(QStringLiteral("FindStationsWindow"));
  m_name->setObjectName(QStringLiteral("findName"));
  m_name->setClearButtonEnabled(true);
  m_results->setObjectName(QStringLiteral("findResults"));
  m_results->setModel(m_model);
  m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_results->setSelectionMode(QAbstractItemView::SingleSelection);
  m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_results->setTabKeyNavigation(false);  // Tab leaves the list, arrows move in it
  m_results->setIconSize(QSize(kLogoPixels, kLogoPixels));
  m_results->setWordWrap(false);  // one line a station; the rest of a long text is elided
  m_results->verticalHeader()->hide();
  m_results->verticalHeader()->setDefaultSectionSize(m_results->fontMetrics().height() + 8);
  m_results->horizontalHeader()->setStretchLastSection(false);
  m_results->horizontalHeader()->setSectionResizeMode(ResultsModel::Name, QHeaderView::Stretch);
  m_results->horizontalHeader()->setSectionResizeMode(ResultsModel::Tags, QHeaderView::Stretch);
  m_results->horizontalHeader()->setSectionResizeMode(ResultsModel::Country, QHeaderView::ResizeToContents);
  m_results->horizontalHeader()->setSectionResizeMode(ResultsModel::Format, QHeaderView::ResizeToContents);
  m_results->horizontalHeader()->setSectionResizeMode(ResultsModel::Broken, QHeaderView::ResizeToContents);
  m_results->installEventFilter(this);
  m_status->setObjectName(QStringLiteral("findStatus"));
  m_status->setTextFormat(Qt::PlainText);  // server texts are shown as they are, never as markup
  m_status->setWordWrap(true);
  m_play->setObjectName(QStringLiteral("findPlay"));
  m_add->setObjectName(QStringLiteral("findAdd"));
  m_close->setObjectName(QStringLiteral("findClose"));
  m_play->setAutoDefault(false);
  m_add->setAutoDefault(false);

  auto* fields = new QGridLayout;
  const auto addField = [&](int row, int column, QWidget* field) {
    auto* label = new QLabel(this);
    label->setBuddy(field);
    m_fieldLabels.append(label);
    fields->addWidget(label, row, column * 2);
    fields->addWidget(field, row, column * 2 + 1);
  };
  addField(0, 0, m_name);
  addField(0, 1, m_tag);
  addField(1, 0, m_country);
  addField(1, 1, m_language);
  addField(2, 0, m_codec);
  addField(2, 1, m_bitrate);
  addField(3, 0, m_sort);
  fields->setColumnStretch(1, 1);
  fields->setColumnStretch(3, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_status, 1);
  buttons->addWidget(m_play);
  buttons->addWidget(m_add);
  buttons->addWidget(m_close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(m_results, 1);
  layout->addLayout(buttons);
  QWidget* const order[] = {m_name, m_tag,     m_country, m_language, m_codec, m_bitrate,
                            m_sort, m_results, m_play,    m_add,      m_close};
  for (std::size_t i = 1; i < std::size(order); ++i) {
    setTabOrder(order[i - 1], order[i]);
  }
  resize(760, 520);

  m_typingPause->setSingleShot(true);
  m_typingPause->setInterval(kTypingPauseMs);
  connect(m_typingPause, &QTimer::timeout, this, &FindStationsWindow::searchNow);
  connect(m_name, &QLineEdit::textEdited, this, &FindStationsWindow::fieldsChanged);
  connect(m_name, &QLineEdit::returnPressed, this, &FindStationsWindow::searchNow);
  for (QComboBox* box : {m_tag, m_language}) {
    connect(box, &QComboBox::editTextChanged, this, &FindStationsWindow::fieldsChanged);
  }
  for (QComboBox* box : {m_country, m_codec, m_bitrate, m_sort}) {
    connect(box, &QComboBox::currentIndexChanged, this, &FindStationsWindow::fieldsChanged);
  }
  connect(&m_client, &qv::directory::DirectoryClient::searchFinished, this, &FindStationsWindow::showAnswer);
  connect(&m_client, &qv::directory::DirectoryClient::facetsFinished, this, &FindStationsWindow::fillFacet);
  connect(m_results->verticalScrollBar(), &QScrollBar::valueChanged, this, &FindStationsWindow::loadMoreWhenNearTheEnd);
  connect(m_results, &QTableView::doubleClicked, this, &FindStationsWindow::playSelected);
  connect(m_results->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &FindStationsWindow::updateButtons);
  connect(m_play, &QPushButton::clicked, this, &FindStationsWindow::playSelected);
  connect(m_add, &QPushButton::clicked, this, &FindStationsWindow::addSelected);
  connect(m_close, &QPushButton::clicked, this, &QWidget::close);
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
  retranslate();
  updateButtons();
}

void FindStationsWindow::retranslate() {
  setWindowTitle(qv::l_findtitle);
  const QString captions[] = {qv::l_findname,  qv::l_findtag,     qv::l_findcountry, qv::l_findlanguage,
                              qv::l_findcodec, qv::l_findbitrate, qv::l_findsort};
  for (int i = 0; i < m_fieldLabels.size(); ++i) {
    m_fieldLabels[i]->setText(captions[i] + QLatin1Char(':'));
  }
  m_play->setText(qv::l_findplay);
  m_add->setText(qv::l_findadd);
  m_close->setText(qv::l_findclose);

  // The fixed lists; the choice stays where it was.
  const QSignalBlocker blockCodec(m_codec);
  const QSignalBlocker blockBitrate(m_bitrate);
  const QSignalBlocker blockSort(m_sort);
  const int codec = std::max(m_codec->currentIndex(), 0);
  m_codec->clear();
  m_codec->addItem(qv::l_findany);
  for (const char* name : kCodecs) {
    m_codec->addItem(QLatin1String(name), QLatin1String(name));
  }
  m_codec->setCurrentIndex(codec);
  const int bitrate = std::max(m_bitrate->currentIndex(), 0);
  m_bitrate->clear();
  for (const int kbps : kBitrates) {
    m_bitrate->addItem(kbps == 0 ? qv::l_findany : qv::l_findkbps.arg(kbps), kbps);
  }
  m_bitrate->setCurrentIndex(bitrate);
  const int sort = std::max(m_sort->currentIndex(), 0);
  m_sort->clear();
  m_sort->addItem(qv::l_findvotes, static_cast<int>(SortOrder::Votes));
  m_sort->addItem(qv::l_findclicks, static_cast<int>(SortOrder::Clicks));
  m_sort->addItem(qv::l_findname, static_cast<int>(SortOrder::Name));
  m_sort->addItem(qv::l_findbitratesort, static_cast<int>(SortOrder::Bitrate));
  m_sort->setCurrentIndex(sort);
  for (QComboBox* box : {m_tag, m_country, m_language}) {
    const QSignalBlocker block(box);
    if (box->count() == 0) {
      box->addItem(qv::l_findany);
      box->setCurrentIndex(0);
    } else {
      box->setItemText(0, qv::l_findany);
    }
  }
  m_model->retranslate();
}

void FindStationsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!m_facetsAsked) {
    m_facetsAsked = true;
    m_client.requestFacets(FacetKind::Countries);
    m_client.requestFacets(FacetKind::Languages);
    m_client.requestFacets(FacetKind::Tags);
    searchNow();  // the most liked stations, before anything is typed
  }
}

qv::directory::SearchQuery FindStationsWindow::query() const {
  qv::directory::SearchQuery query;
  query.name = m_name->text().trimmed();
  query.tag = comboValue(m_tag);
  query.countryCode = comboValue(m_country);
  query.language = comboValue(m_language);
  query.codec = comboValue(m_codec);
  query.bitrateMin = m_bitrate->currentData().toInt();
  query.order = static_cast<SortOrder>(m_sort->currentData().toInt());
  query.limit = kPageSize;
  return query;
}

void FindStationsWindow::fieldsChanged() {
  m_typingPause->start();  // every key restarts the pause: one search when typing stops
}

void FindStationsWindow::searchNow() {
  m_typingPause->stop();
  m_pageRequested = false;
  m_status->setText(qv::l_findsearching);
  m_client.search(query());
}

void FindStationsWindow::showAnswer(quint64, const qv::directory::SearchQuery& query,
                                    const std::vector<qv::directory::DirectoryStation>& stations,
                                    const QString& error) {
  m_pageRequested = false;
  if (!error.isEmpty()) {
    m_status->setText(qv::l_findunreachable.arg(error));
    m_morePages = false;
    if (query.offset == 0) {
      m_model->replace({});
    }
    updateButtons();
    return;
  }
  if (query.offset == 0) {
    m_shown = query;
    m_model->replace(stations);
    if (!stations.empty()) {
      m_results->selectRow(0);
    }
  } else {
    m_model->append(stations);
  }
  showLogos(stations);
  m_morePages = static_cast<int>(stations.size()) >= query.limit;
  m_status->setText(m_model->rowCount() == 0 ? qv::l_findnone : QString());
  updateButtons();
  loadMoreWhenNearTheEnd();  // a tall window may show the whole page at once
}

void FindStationsWindow::loadMoreWhenNearTheEnd() {
  if (!m_morePages || m_pageRequested) {
    return;
  }
  // Rows rather than the scroll bar, whose range follows an insertion only at the next layout.
  const int lastShown = m_results->rowAt(m_results->viewport()->height() - 1);
  if (lastShown >= 0 && lastShown < m_model->rowCount() - 5) {
    return;
  }
  m_pageRequested = true;
  qv::directory::SearchQuery next = m_shown;
  next.offset = m_model->rowCount();
  m_client.search(next);
}

void FindStationsWindow::fillFacet(qv::directory::FacetKind kind, const std::vector<qv::directory::Facet>& facets,
                                   const QString& error) {
  if (!error.isEmpty()) {
    return;  // the fields still take what is typed; the search says when the directory is away
  }
  QComboBox* box = kind == FacetKind::Countries ? m_country : kind == FacetKind::Languages ? m_language : m_tag;
  const QSignalBlocker block(box);
  const QString typed = box->currentText();
  while (box->count() > 1) {
    box->removeItem(1);
  }
  for (const qv::directory::Facet& facet : facets) {
    if (kind == FacetKind::Countries) {
      if (!facet.code.isEmpty()) {
        box->addItem(facet.name, facet.code);
      }
    } else {
      box->addItem(facet.name, facet.name);
    }
  }
  if (box->isEditable()) {
    box->setEditText(typed);
  }
}

void FindStationsWindow::showLogos(const std::vector<qv::directory::DirectoryStation>& stations) {
  const QString covers = qv::paths::CoversFolder();
  for (const qv::directory::DirectoryStation& station : stations) {
    const QString link = station.logoLink();
    if (link.isEmpty() || m_logosAsked.contains(link)) {
      continue;
    }
    m_logosAsked.insert(link);
    // The same file the player uses once the station is in the list and plays.
    const QString file = qv::playlists::StationLogoFile(covers, station.name, link);
    const QPointer<FindStationsWindow> self(this);
    const auto show = [self, link, file](const QString& error) {
      if (!self || !error.isEmpty()) {
        return;  // no logo is no logo: the row shows its name alone
      }
      const QImage image = qv::playlists::loadLogo(file);
      if (!image.isNull()) {
        self->m_model->setLogo(link, QPixmap::fromImage(image.scaled(kLogoPixels, kLogoPixels, Qt::KeepAspectRatio,
                                                                     Qt::SmoothTransformation)));
      }
    };
    if (QFileInfo::exists(file)) {
      show(QString());
    } else {
      m_logos->fetch(link, file, show);
    }
  }
}

const qv::directory::DirectoryStation* FindStationsWindow::selectedStation() const {
  const QModelIndexList rows = m_results->selectionModel()->selectedRows();
  return rows.isEmpty() ? nullptr : m_model->station(rows.front().row());
}

void FindStationsWindow::playSelected() {
  const qv::directory::DirectoryStation* station = selectedStation();
  if (station && !station->playableLink().isEmpty()) {
    emit playRequested(*station);
  }
}

void FindStationsWindow::addSelected() {
  const qv::directory::DirectoryStation* station = selectedStation();
  if (station && !station->playableLink().isEmpty()) {
    emit addRequested(*station);
    m_status->setText(qv::l_findadded.arg(station->name));
  }
}

void FindStationsWindow::updateButtons() {
  const qv::directory::DirectoryStation* station = selectedStation();
  const bool usable = station && !station->playableLink().isEmpty();
  m_play->setEnabled(usable);
  m_add->setEnabled(usable);
}

bool FindStationsWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_results && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      addSelected();
      return true;
    }
    if (key->key() == Qt::Key_Space) {
      playSelected();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace qv::ui
