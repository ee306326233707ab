// The main window's regions and the controls of its information panel.
#include "main.h"

#include "aspect_image.h"
#include "colours.h"
#include "frame/window_frame.h"
#include "image_button.h"
#include "interface_texts.h"
#include "level_label.h"
#include "link_label.h"
#include "splitter_bar.h"
#include "station_list/station_list_panel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace colours = qv::ui::colours;
using qv::ui::ImageButton;
using qv::ui::LevelLabel;
using qv::ui::LinkLabel;
using qv::ui::SplitterBar;

namespace {

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

// The window buttons keep the distance from their right side to the panel's right edge.
struct WindowButtonPlace {
  ImageButton* TMainForm::*button;
  int fromRight;
};
constexpr WindowButtonPlace kWindowButtons[] = {
    {&TMainForm::MinimizeImage, 62},
    {&TMainForm::OntopImage, 44},
    {&TMainForm::SmallImage, 26},
    {&TMainForm::CloseImage, 8},
};
constexpr int kWindowButtonTop = 8;
constexpr int kWindowButtonSize = 12;

// The title's, the station label's and the status line's places in the information panel.
constexpr int kTrackTop = 26;
constexpr int kStationTop = 61;
constexpr int kStatusTop = 78;

constexpr int kDesignWidth = 423;
constexpr int kDesignHeight = 363;
constexpr int kInfoPanelHeight = 134;
constexpr int kEQPanelHeight = 88;

}  // namespace

void TMainForm::createControls() {
  QPalette colours = palette();
  colours.setColor(QPalette::Window, colours::kWindow);
  colours.setColor(QPalette::WindowText, colours::kLabelText);
  colours.setColor(QPalette::Base, colours::kListBox);
  colours.setColor(QPalette::Text, colours::kLabelText);
  setPalette(colours);
  setAutoFillBackground(true);
  QFont text = font();
  text.setPixelSize(12);
  setFont(text);
  // No style sheet here: a window's sheet reaches every dialog it parents (file dialogs, message
  // boxes), which keep the platform's look. The station list panel styles its own controls by name.

  LargePanel = named(new QWidget(this), "LargePanel");
  LargePanel->setFixedHeight(kInfoPanelHeight);
  LogoImage = named(new qv::ui::AspectImage(LargePanel), "LogoImage");
  LogoImage->setFixedWidth(128);
  Splitter1 = named(new SplitterBar(Qt::Vertical, LogoImage, LargePanel), "Splitter1");
  LargeInfoPanel = named(new QWidget(LargePanel), "LargeInfoPanel");
  auto* largeLayout = new QHBoxLayout(LargePanel);
  largeLayout->setContentsMargins(0, 0, 0, 0);
  largeLayout->setSpacing(0);
  largeLayout->addWidget(LogoImage);
  largeLayout->addWidget(Splitter1);
  largeLayout->addWidget(LargeInfoPanel, 1);
  createInfoPanelControls();

  Splitter5 = named(new SplitterBar(Qt::Horizontal, LargePanel, this), "Splitter5");
  EQPanel = named(new QWidget(this), "EQPanel");
  EQPanel->setFixedHeight(kEQPanelHeight);
  EQPanel->hide();
  Splitter2 = named(new SplitterBar(Qt::Horizontal, EQPanel, this), "Splitter2");
  Splitter2->hide();
  EQPanel->installEventFilter(this);

  PlaylistPanel = named(new QWidget(this), "PlaylistPanel");
  createStationListPanel();
  iMenu = named(new ImageButton(m_skin, PLRightPanel), "iMenu");
  iMenu->setFixedSize(24, 24);
  StationsPanel->setMenuButton(iMenu);
  PlaylistButtonPopup = named(new QMenu(this), "PlaylistButtonPopup");
  popOpenPL = PlaylistButtonPopup->addAction(qv::i18n::builtInText(2));
  popOpenPL->setObjectName(QStringLiteral("popOpenPL"));
  popSavePlaylist = PlaylistButtonPopup->addAction(qv::i18n::builtInText(3));
  popSavePlaylist->setObjectName(QStringLiteral("popSavePlaylist"));
  popAddStation = PlaylistButtonPopup->addAction(qv::i18n::builtInText(4));
  popAddStation->setObjectName(QStringLiteral("popAddStation"));

  // Top-aligned regions stack; the station lists take the rest, and when they are hidden the rest
  // stays empty background.
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 1, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(LargePanel);
  layout->addWidget(Splitter5);
  layout->addWidget(EQPanel);
  layout->addWidget(Splitter2);
  layout->addWidget(PlaylistPanel, 1);
  layout->addStretch(0);
  resize(kDesignWidth, kDesignHeight);

  m_frame->addDragSurface(LargePanel);
  m_frame->addDragSurface(LargeInfoPanel);
  m_frame->addDragSurface(LogoImage);
  createSoundControls();
  connectButtons();
}

void TMainForm::createInfoPanelControls() {
  const auto label = [this](const char* name, int left, int top) {
    auto* created = named(new LinkLabel(LargeInfoPanel), name);
    created->move(left, top);
    return created;
  };
  TrackLabel = label("TrackLabel", 6, kTrackTop);
  QFont title = TrackLabel->font();
  title.setPixelSize(13);
  TrackLabel->setFont(title);
  StationLabel = label("StationLabel", 6, kStationTop);
  StatusLabel = label("StatusLabel", 23, kStatusTop);
  leftch = named(new LevelLabel(LargeInfoPanel), "leftch");
  leftch->move(3, kStatusTop);
  leftch->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  RightCh = named(new LevelLabel(LargeInfoPanel), "RightCh");
  RightCh->move(103, kStatusTop);

  const auto button = [this](const char* name, int left, int top, int size) {
    auto* created = named(new ImageButton(m_skin, LargeInfoPanel), name);
    created->setGeometry(left, top, size, size);
    return created;
  };
  MinimizeImage = button("MinimizeImage", 0, kWindowButtonTop, kWindowButtonSize);
  OntopImage = button("OntopImage", 0, kWindowButtonTop, kWindowButtonSize);
  SmallImage = button("SmallImage", 0, kWindowButtonTop, kWindowButtonSize);
  CloseImage = button("CloseImage", 0, kWindowButtonTop, kWindowButtonSize);
  PreviousImage = button("PreviousImage", 6, 104, 24);
  PlayStopImage = button("PlayStopImage", 36, 104, 24);
  NextImage = button("NextImage", 66, 104, 24);
  VolEmptyImage = named(new ImageButton(m_skin, LargeInfoPanel), "VolEmptyImage");
  VolEmptyImage->setGeometry(96, 104, 100, 24);
  VolFullImage = named(new ImageButton(m_skin, LargeInfoPanel), "VolFullImage");
  VolFullImage->setGeometry(96, 104, 100, 24);
  MuteImage = button("MuteImage", 202, 104, 24);
  SettingsImage = button("SettingsImage", 232, 104, 24);
  // Six pixels after the settings button like the other gaps, so that it stays whole in the
  // first-start window, whose panel is 287 wide.
  EQImage = button("EQImage", 262, 104, 24);

  VolumeTB = named(new QSlider(Qt::Horizontal, LargeInfoPanel), "VolumeTB");
  VolumeTB->setRange(0, 100);
  VolumeTB->setValue(100);
  VolumeTB->hide();

  LargeInfoPanel->installEventFilter(this);
}

// Labels that fit their text get their size here, after a text change or a resize of the panel.
void TMainForm::layoutInfoPanel() {
  const int width = LargeInfoPanel->width();
  for (const WindowButtonPlace& place : kWindowButtons) {
    (this->*place.button)->move(width - place.fromRight - kWindowButtonSize, kWindowButtonTop);
  }
  placeTrackLabel();
  for (QLabel* fitting : {static_cast<QLabel*>(StationLabel), static_cast<QLabel*>(StatusLabel)}) {
    fitting->resize(fitting->sizeHint());
  }
  // A fixed size, one line high: a level change (up to twenty a second while playing) then only
  // repaints its label, where a label that may change size asks the panel to lay out the title
  // and every other label again.
  for (QLabel* level : {leftch, RightCh}) {
    level->setFixedSize(12, level->fontMetrics().height());
  }
  stackInfoLabels();
}

// The station label ends where the status line starts: one of two lines (an error and its code)
// grows upwards while the title leaves room, and only then pushes the status line and the level
// labels down, so that no text runs into another.
void TMainForm::stackInfoLabels() {
  const int stationTop =
      std::max(TrackLabel->geometry().bottom() + 1, std::min(kStationTop, kStatusTop - StationLabel->height()));
  StationLabel->move(StationLabel->x(), stationTop);
  const int statusTop = std::max(kStatusTop, stationTop + StationLabel->height());
  for (QLabel* label : {static_cast<QLabel*>(StatusLabel), leftch, RightCh}) {
    label->move(label->x(), statusTop);
  }
}

// One line until the first title report; from then on it wraps across the panel's width.
void TMainForm::placeTrackLabel() {
  const int panelWidth = LargeInfoPanel->width();
  if (!m_trackLabelWraps) {
    TrackLabel->setGeometry(6, kTrackTop, std::max(0, panelWidth - 12), 17);
    stackInfoLabels();
    return;
  }
  // Setting it again would ask the panel for another layout pass, which lands here again.
  if (!TrackLabel->wordWrap()) {
    TrackLabel->setWordWrap(true);
    TrackLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  // As many whole lines as fit above the station label's place; a longer title loses its end.
  const int width = std::max(0, panelWidth - TrackLabel->x());
  // A line as the label lays it out, which may be a pixel higher than the font's height.
  const int lineHeight =
      std::max(1, TrackLabel->fontMetrics().boundingRect(QRect(0, 0, 1000, 1000), 0, QStringLiteral("x")).height());
  const int room = std::max(1, (kStationTop - kTrackTop) / lineHeight) * lineHeight;
  TrackLabel->resize(width, std::min(TrackLabel->heightForWidth(width), room));
  stackInfoLabels();
}

// The images every button shows once the skin is loaded; the on-top button follows the settings.
void TMainForm::assignStartImages() {
  const qv::ui::ButtonState state = buttonState();
  using qv::ui::Pointer;
  using qv::ui::SkinButton;
  CloseImage->setImage(*qv::ui::hoverImage(SkinButton::Close, Pointer::Leave, state));
  SmallImage->setImage(*qv::ui::hoverImage(SkinButton::Small, Pointer::Leave, state));
  MinimizeImage->setImage(*qv::ui::hoverImage(SkinButton::Minimize, Pointer::Leave, state));
  OntopImage->setImage(*qv::ui::hoverImage(SkinButton::Ontop, Pointer::Leave, state));
  PlayStopImage->setImage(QStringLiteral("PngPlay_2"));
  PreviousImage->setImage(QStringLiteral("PngPrevious_2"));
  NextImage->setImage(QStringLiteral("PngNext_2"));
  iMenu->setImage(QStringLiteral("PngMenu_2"));
  LogoImage->setPixmap(m_skin.image(QStringLiteral("PngStationLogo4")));
  VolEmptyImage->setImage(QStringLiteral("PngVolume_1"));
  VolEmptyImage->fitToImage();
  VolFullImage->setImage(QStringLiteral("PngVolume_2"));
  VolFullImage->raise();
  EQImage->setImage(QStringLiteral("PngEQ_2"));
  MuteImage->setImage(QStringLiteral("PngSound_2"));
  SettingsImage->setImage(QStringLiteral("PngSettings_2"));
}
