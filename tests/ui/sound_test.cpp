// The main window's sound controls: the volume sources, mute, the level brackets and the
// equalizer panel, on the real window and, where the stream matters, on a real local stream.
#include "eq_presets.h"
#include "playback_controller.h"
#include "program_run.h"
#include "sound/eq_panel.h"
#include "stream_server.h"
#include "volume_rules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <optional>

namespace {

namespace engine = qv::engine;

void mouse(QWidget* widget, QEvent::Type type, int x, Qt::MouseButton button) {
  const QPointF local(x, 10);
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, local, widget->mapToGlobal(local), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &event);
}

void wheel(QWidget* widget, int delta) {
  const QPointF local(5, 5);
  QWheelEvent event(local, widget->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(widget, &event);
}

float streamVolume(engine::Handle stream) {
  float volume = -1.0F;
  engine::channelGetAttribute(stream, engine::Attribute::Volume, &volume);
  return volume;
}

class SoundControls : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(run.start());
    MainForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
  }
  void TearDown() override { run.finish(); }

  ProgramRun run;
};

TEST_F(SoundControls, BarPressAndDragSetTheVolumeAndTheBrightBarFollowsThePointer) {
  QWidget* empty = MainForm->VolEmptyImage;
  QWidget* full = MainForm->VolFullImage;
  MainForm->VolumeTB->setValue(100);

  mouse(empty, QEvent::MouseButtonPress, 40, Qt::RightButton);
  EXPECT_EQ(MainForm->VolumeTB->value(), 100) << "only the left button sets the volume";

  mouse(empty, QEvent::MouseButtonPress, 40, Qt::LeftButton);
  EXPECT_EQ(MainForm->VolumeTB->value(), 40);
  EXPECT_EQ(full->width(), 40);

  struct Step {
    int x;
    int volume;
    int brightWidth;
  };
  // Past the ends the volume stops at 0 and 100 while the bright bar and its hint follow.
  for (const Step& step : {Step{70, 70, 70}, Step{130, 100, 130}, Step{-5, 0, 0}, Step{25, 25, 25}}) {
    SCOPED_TRACE(step.x);
    mouse(full, QEvent::MouseMove, step.x, Qt::LeftButton);
    EXPECT_EQ(MainForm->VolumeTB->value(), step.volume);
    EXPECT_EQ(full->width(), step.brightWidth);
    EXPECT_EQ(full->toolTip(), QString::number(step.x));
  }

  mouse(full, QEvent::MouseButtonRelease, 25, Qt::LeftButton);
  mouse(empty, QEvent::MouseMove, 90, Qt::NoButton);
  EXPECT_EQ(MainForm->VolumeTB->value(), 25) << "after the release a move does nothing";

  // Any other source sizes the bright bar to the position.
  MainForm->VolumeTB->setValue(60);
  EXPECT_EQ(full->width(), 60);
}

TEST_F(SoundControls, WheelMovesTheVolumeByItsStepExceptOverAPlainList) {
  struct Case {
    const char* over;
    int delta;
    int step;
    bool invert;
    int start;
    int expected;
  };
  const Case cases[] = {
      {"LargeInfoPanel", 120, 10, false, 50, 60},  {"LargeInfoPanel", -120, 10, false, 50, 40},
      {"LargeInfoPanel", 120, 10, true, 50, 40},   {"LargeInfoPanel", -240, 7, true, 50, 64},
      {"LargeInfoPanel", 120, 10, false, 95, 100}, {"LargeInfoPanel", -120, 50, false, 30, 0},
      {"LargeInfoPanel", 60, 10, false, 50, 50},  // half a notch waits for the other half
      {"LargeInfoPanel", 60, 10, false, 50, 60},   {"LargeInfoPanel", 60, 10, false, 50, 50},
      {"LargeInfoPanel", -120, 10, false, 50, 40},  // turning back drops the half notch
      {"TrackBar3", 120, 5, false, 50, 55},         // the window takes the wheel before its controls
      {"SearchEdit", -120, 5, false, 50, 45},      {"StationsList", 120, 10, false, 50, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.over) + " " + std::to_string(c.delta) + (c.invert ? " inverted" : ""));
    SettingsForm->MouseStepSpin->setValue(c.step);
    SettingsForm->InvertMouseCheckBox->setChecked(c.invert);
    MainForm->VolumeTB->setValue(c.start);
    auto* target = MainForm->findChild<QWidget*>(QLatin1String(c.over));
    ASSERT_NE(target, nullptr);
    if (auto* list = qobject_cast<QAbstractScrollArea*>(target)) {
      target = list->viewport();
    }
    wheel(target, c.delta);
    EXPECT_EQ(MainForm->VolumeTB->value(), c.expected);
  }
}

TEST_F(SoundControls, BandFocusShowsCustomAndOnlyTheUserChoosesAPreset) {
  qv::ui::EqPanel& eq = *MainForm->Equalizer;
  MainForm->EQImageClick();
  MainForm->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
  ASSERT_EQ(eq.presetList->currentText(), QStringLiteral("Flat"));
  ASSERT_EQ(eq.presetList->count(), 19);

  eq.reverbSlider->setFocus();
  EXPECT_EQ(eq.presetList->currentIndex(), 1) << "the reverb slider belongs to no preset";

  int presetChanges = 0;
  QObject::connect(eq.presetList, &QComboBox::currentIndexChanged, [&] { ++presetChanges; });
  eq.bandSliders[2]->setFocus();
  EXPECT_TRUE(eq.bandSliders[2]->hasFocus());
  EXPECT_EQ(eq.presetList->currentText(), QStringLiteral("Custom"));
  EXPECT_EQ(presetChanges, 0) << "showing Custom fires no preset change";
  EXPECT_EQ(eq.bandPositions(), (qv::playback::BandPositions{15, 15, 15, 15, 15, 15}));

  // Choosing "Custom" from the list moves nothing.
  eq.presetList->activated(0);
  EXPECT_EQ(eq.bandPositions(), (qv::playback::BandPositions{15, 15, 15, 15, 15, 15}));
}

// A local station played from the list, to nowhere.
// The level labels change up to twenty times a second while a station plays: a change repaints
// the label alone and never asks the panel to lay out the wrapped title and the other labels.
TEST_F(SoundControls, ALevelChangeNeverLaysOutTheInformationPanel) {
  struct Counts : QObject {
    int layoutRequests = 0;
    int windowPaints = 0;
    int levelPaints = 0;
    QObject* panel = nullptr;
    QObject* window = nullptr;
    QObject* level = nullptr;
    bool eventFilter(QObject* watched, QEvent* event) override {
      layoutRequests += watched == panel && event->type() == QEvent::LayoutRequest ? 1 : 0;
      if (event->type() == QEvent::Paint) {
        windowPaints += watched == window ? 1 : 0;
        levelPaints += watched == level ? 1 : 0;
      }
      return false;
    }
  } counts;
  QCoreApplication::processEvents();
  counts.panel = MainForm->LargeInfoPanel;
  counts.window = MainForm;
  counts.level = MainForm->leftch;
  for (QObject* watched : std::initializer_list<QObject*>{MainForm->LargeInfoPanel, MainForm, MainForm->leftch}) {
    watched->installEventFilter(&counts);
  }
  const QSize levelSize = MainForm->leftch->size();
  for (const char* brackets : {"(", "(((", "", "(("}) {
    MainForm->leftch->setText(QString::fromLatin1(brackets));
    MainForm->RightCh->setText(QString::fromLatin1(brackets).replace(QLatin1Char('('), QLatin1Char(')')));
    QCoreApplication::processEvents();
  }
  for (QObject* watched : std::initializer_list<QObject*>{MainForm->LargeInfoPanel, MainForm, MainForm->leftch}) {
    watched->removeEventFilter(&counts);
  }
  EXPECT_EQ(counts.layoutRequests, 0);
  EXPECT_GE(counts.levelPaints, 1) << "the label shows its new brackets";
  EXPECT_EQ(counts.windowPaints, 0) << "the window beneath the opaque label is not painted again";
  EXPECT_EQ(MainForm->leftch->size(), levelSize);
  EXPECT_GT(levelSize.height(), 0);
}

class SoundOnAStream : public SoundControls {
 protected:
  void SetUp() override {
    SoundControls::SetUp();
    ASSERT_TRUE(server.ok()) << server.error();
    MainForm->Stations.replaceAll(
        {{QStringLiteral("Tone"), QString::fromStdString(server.url("/icy/sine1k.mp3")), {}, {}}});
    ASSERT_TRUE(playAndWait());
  }
  void TearDown() override { SoundControls::TearDown(); }

  // Plays the first station and waits until its stream is heard.
  bool playAndWait() {
    qv::playback::PlaybackController& controller = MainForm->playbackController();
    const engine::Handle before = controller.stream();
    MainForm->CurrentStation = 0;
    MainForm->Play();
    const bool playing =
        QTest::qWaitFor([&] { return controller.stream() != before && controller.streamPlaying(); }, 10000);
    stream = controller.stream();
    return playing;
  }
  static std::array<engine::Handle, 6> bandEffects() { return MainForm->playbackController().bandEffects(); }
  static engine::Handle reverbEffect() { return MainForm->playbackController().reverbEffect(); }

  StreamServer server;
  engine::Handle stream = 0;
};

TEST_F(SoundOnAStream, EverySourceReachesTheStreamAndMuteLastsUntilTheVolumeIsSetAgain) {
  MainForm->TagsListBox->setFocus();  // not a plain list box: the window's keys act
  MainForm->VolumeTB->setValue(40);
  EXPECT_FLOAT_EQ(streamVolume(stream), 0.4F);
  mouse(MainForm->VolEmptyImage, QEvent::MouseButtonPress, 70, Qt::LeftButton);
  mouse(MainForm->VolEmptyImage, QEvent::MouseButtonRelease, 70, Qt::LeftButton);
  EXPECT_FLOAT_EQ(streamVolume(stream), 0.7F);
  QTest::keyClick(MainForm->windowHandle(), Qt::Key_Down);
  EXPECT_FLOAT_EQ(streamVolume(stream), qv::playback::streamVolume(MainForm->VolumeTB->value()));
  EXPECT_LT(MainForm->VolumeTB->value(), 70);
  MainForm->VolumeTB->setValue(50);

  MainForm->MuteImageClick();
  EXPECT_EQ(streamVolume(stream), 0.0F);
  EXPECT_EQ(MainForm->MuteImage->image(), QStringLiteral("PngSD_1"));
  EXPECT_EQ(MainForm->VolumeTB->value(), 50) << "mute leaves the volume where it is";
  EXPECT_TRUE(MainForm->streamMuted());
  QTest::keyClick(MainForm->windowHandle(), Qt::Key_M);
  EXPECT_FLOAT_EQ(streamVolume(stream), 0.5F);
  EXPECT_EQ(MainForm->MuteImage->image(), QStringLiteral("PngSound_1"));

  // The wheel unmutes; the image keeps its muted look until the pointer comes by.
  MainForm->MuteImageClick();
  SettingsForm->MouseStepSpin->setValue(10);
  SettingsForm->InvertMouseCheckBox->setChecked(false);
  wheel(MainForm->LargeInfoPanel, 120);
  EXPECT_FLOAT_EQ(streamVolume(stream), 0.6F);
  EXPECT_EQ(MainForm->MuteImage->image(), QStringLiteral("PngSD_1"));

  // Mute acts only while the stream plays.
  ASSERT_TRUE(engine::channelPause(stream));
  MainForm->MuteImageClick();
  EXPECT_FLOAT_EQ(streamVolume(stream), 0.6F);
}

TEST_F(SoundOnAStream, TheLevelBracketsFollowThePlayingStreamAndClearWhenItStops) {
  // The tone is at half of full scale: two brackets on each side.
  EXPECT_TRUE(QTest::qWaitFor([] { return MainForm->leftch->text() == QStringLiteral("(("); }, 5000))
      << MainForm->leftch->text().toStdString();
  EXPECT_EQ(MainForm->RightCh->text(), QStringLiteral("))"));
  ASSERT_TRUE(engine::channelStop(stream));
  EXPECT_TRUE(QTest::qWaitFor([] { return MainForm->leftch->text().isEmpty(); }, 2000));
  EXPECT_TRUE(MainForm->RightCh->text().isEmpty());
}

std::array<float, 6> bandGains(const std::array<engine::Handle, 6>& bands) {
  std::array<float, 6> gains{};
  for (std::size_t band = 0; band < bands.size(); ++band) {
    qv::dsp::ParametricEqParameters parameters;
    EXPECT_TRUE(engine::fxGetParameters(bands[band], &parameters)) << "band " << band + 1;
    EXPECT_FLOAT_EQ(parameters.centerHz, qv::playback::kEqBandCentresHz[band]);
    EXPECT_FLOAT_EQ(parameters.bandwidthSemitones, 18.0F);
    gains[band] = parameters.gainDb;
  }
  return gains;
}

qv::dsp::ReverbParameters reverbOf(engine::Handle reverb) {
  qv::dsp::ReverbParameters parameters;
  EXPECT_TRUE(engine::fxGetParameters(reverb, &parameters));
  return parameters;
}

TEST_F(SoundOnAStream, EachNewStreamHasTheSlidersAsTheyStand) {
  qv::ui::EqPanel& eq = *MainForm->Equalizer;
  EXPECT_EQ(bandGains(bandEffects()), (std::array<float, 6>{0, 0, 0, 0, 0, 0}));
  qv::dsp::ReverbParameters reverb = reverbOf(reverbEffect());
  EXPECT_FLOAT_EQ(reverb.reverbMixDb, -96.0F);
  EXPECT_FLOAT_EQ(reverb.reverbTimeMs, 1200.0F);
  EXPECT_FLOAT_EQ(reverb.highFreqRtRatio, 0.1F);

  // A slider applies at once to its own effect only.
  eq.bandSliders[0]->setValue(10);
  eq.bandSliders[5]->setValue(30);
  eq.reverbSlider->setValue(10);
  EXPECT_EQ(bandGains(bandEffects()), (std::array<float, 6>{5, 0, 0, 0, 0, -15}));
  reverb = reverbOf(reverbEffect());
  EXPECT_FLOAT_EQ(reverb.reverbMixDb, -12.0F);
  EXPECT_FLOAT_EQ(reverb.reverbTimeMs, 1200.0F);

  const std::array<engine::Handle, 6> firstBands = bandEffects();
  ASSERT_TRUE(playAndWait());
  EXPECT_NE(bandEffects(), firstBands);
  EXPECT_EQ(bandGains(bandEffects()), (std::array<float, 6>{5, 0, 0, 0, 0, -15}));
  EXPECT_FLOAT_EQ(reverbOf(reverbEffect()).reverbMixDb, -12.0F);

  // A failed open: no effects, and the sliders still move without complaint.
  MainForm->Stations.replaceAll({{QStringLiteral("Nowhere"), QStringLiteral("http://127.0.0.1:1/"), {}, {}}});
  MainForm->CurrentStation = 0;
  MainForm->Play();
  EXPECT_TRUE(QTest::qWaitFor([] { return MainForm->StationLabel->text().startsWith(qv::l_cantplay); }, 10000));
  EXPECT_EQ(bandEffects(), (std::array<engine::Handle, 6>{}));
  EXPECT_EQ(reverbEffect(), 0U);
  eq.bandSliders[2]->setValue(0);
  eq.reverbSlider->setValue(0);
  EXPECT_TRUE(run.errors.isEmpty());
}

TEST_F(SoundOnAStream, APresetWritesOnlyTheBandsWhoseSliderMoves) {
  qv::ui::EqPanel& eq = *MainForm->Equalizer;
  // A mark on band 4's effect shows whether choosing a preset wrote that band.
  ASSERT_TRUE(engine::fxSetParameters(bandEffects()[3], qv::dsp::ParametricEqParameters{3500.0F, 18.0F, 7.0F}));
  struct Step {
    int preset;
    qv::playback::BandPositions positions;
    std::array<float, 6> gains;
  };
  const Step steps[] = {
      {6, {10, 5, 10, 15, 20, 20}, {5, 10, 5, 7, -5, -5}},  // "Bass": band 4 stays at 15
      {1, {15, 15, 15, 15, 15, 15}, {0, 0, 0, 7, 0, 0}},    // "Flat"
      {1, {15, 15, 15, 15, 15, 15}, {0, 0, 0, 7, 0, 0}},    // "Flat" again moves nothing
      {18, {10, 10, 20, 10, 10, 5}, {5, 5, -5, 5, 5, 10}},  // "Techno" moves band 4 too
      {0, {10, 10, 20, 10, 10, 5}, {5, 5, -5, 5, 5, 10}},   // "Custom" moves nothing
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(eq.presetList->itemText(step.preset).toStdString());
    eq.presetList->setCurrentIndex(step.preset);
    emit eq.presetList->activated(step.preset);
    EXPECT_EQ(eq.bandPositions(), step.positions);
    EXPECT_EQ(bandGains(bandEffects()), step.gains);
  }
}

}  // namespace
