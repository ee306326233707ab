#include "playlist_commands.h"
#include "addedit.h"
#include "colours.h"
#include "file_dialogs.h"
#include "interface_texts.h"
#include "logo_cache.h"
#include "paths.h"
#include "program_run.h"
#include "scripted_answers.h"
#include "station_list/station_list_panel.h"
#include "station_list/station_rows_model.h"
#include "station_list/stations_list_view.h"
#include "stream_server.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace {

using qv::playlists::MergeAnswer;
using qv::playlists::SaveAnswer;
using qv::stations::StationEntry;

bool writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile out(path);
  return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

QStringList names(const std::vector<StationEntry>& stations) {
  QStringList out;
  for (const StationEntry& entry : stations) {
    out.append(entry.Name);
  }
  return out;
}

//! What a file dialog showed while it was open.
struct DialogSeen {
  bool opened = false;
  QString folder;
  QColor editBase, editText, editPixel, listBase;
};

//! Runs `open`, which opens a modal file dialog; reads the dialog while it is open, then cancels it
//! (or accepts `choose`). A modal window still open after 10 s is closed.
QString runFileDialog(const std::function<QString()>& open, DialogSeen& seen, const QString& choose = {}) {
  QTimer poll;
  QElapsedTimer waited;
  waited.start();
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog || seen.opened) {
      if (modal && waited.elapsed() > 10000) {
        modal->close();  // never a test that waits for ever
      }
      return;
    }
    seen.opened = true;
    seen.folder = dialog->directory().absolutePath();
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
      seen.editBase = edit->palette().color(QPalette::Base);
      seen.editText = edit->palette().color(QPalette::Text);
      seen.editPixel = edit->grab().toImage().pixelColor(edit->width() - 5, edit->height() / 2);
    }
    if (auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"))) {
      seen.listBase = view->palette().color(QPalette::Base);
    }
    if (choose.isEmpty()) {
      dialog->reject();
    } else {
      // As the user does: to the folder, then the name typed.
      dialog->setDirectory(QFileInfo(choose).absolutePath());
      if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        edit->setText(QFileInfo(choose).fileName());
      }
      static_cast<QDialog*>(dialog)->done(QDialog::Accepted);  // takes the typed name
    }
  });
  poll.start(20);
  return open();
}

// The open and save dialogs keep the platform's look (the main window's dark fields do not reach
// them) and start in the folder last used, at first the current playlist's or the home folder.
TEST(FileDialogs, KeepThePlatformsLookAndStartInTheFolderLastUsed) {
  ProgramRun run;
  ASSERT_TRUE(run.start());
  MainForm->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
  const qv::ui::PlaylistCommands::Dialogs& dialogs = MainForm->playlistCommands().dialogs;
  ASSERT_TRUE(QDir().mkpath(QDir::homePath()));
  qv::ui::rememberDialogFolder(QString());  // as at the start of a run

  DialogSeen seen;
  EXPECT_TRUE(runFileDialog(dialogs.chooseOpenFile, seen).isEmpty());
  ASSERT_TRUE(seen.opened);
  EXPECT_EQ(seen.folder.toStdString(), QDir::homePath().toStdString()) << "not the working directory";
  QLineEdit plain;
  plain.ensurePolished();
  EXPECT_EQ(seen.editBase, plain.palette().color(QPalette::Base));
  EXPECT_EQ(seen.editText, plain.palette().color(QPalette::Text));
  EXPECT_NE(seen.editPixel, qv::ui::colours::kSearchBox);
  EXPECT_NE(seen.listBase, qv::ui::colours::kListBox);

  const QString lists = run.profile.root() + QStringLiteral("/lists");
  ASSERT_TRUE(writeFile(lists + QStringLiteral("/radio.pls"), "[playlist]\n"));
  MainForm->PlaylistPath = lists + QStringLiteral("/radio.pls");
  seen = {};
  runFileDialog(dialogs.chooseSaveFile, seen);
  EXPECT_EQ(seen.folder.toStdString(), lists.toStdString()) << "the current playlist's folder";

  const QString elsewhere = run.profile.root() + QStringLiteral("/elsewhere");
  ASSERT_TRUE(QDir().mkpath(elsewhere));
  seen = {};
  EXPECT_EQ(runFileDialog(dialogs.chooseSaveFile, seen, elsewhere + QStringLiteral("/mine.ini")).toStdString(),
            (elsewhere + QStringLiteral("/mine.ini")).toStdString());
  seen = {};
  runFileDialog(dialogs.chooseOpenFile, seen);
  EXPECT_EQ(seen.folder.toStdString(), elsewhere.toStdString()) << "the folder last used";
  run.finish();
}

//! The program on a throw-away profile with its questions answered from scripts.
class PlaylistCommandsTest : public ::testing::Test {
 protected:
  void start() {
    ASSERT_TRUE(run.start());
    MainForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    qv::ui::PlaylistCommands::Dialogs& dialogs = MainForm->playlistCommands().dialogs;
    dialogs.askMergeOrReplace = [this] {
      questions.append(QStringLiteral("merge"));
      return takeAnswer(mergeAnswers, MergeAnswer::Cancel);
    };
    dialogs.askSaveFirst = [this] {
      questions.append(QStringLiteral("save first"));
      return takeAnswer(saveAnswers, SaveAnswer::Cancel);
    };
    dialogs.confirm = [this](const QString& question) {
      questions.append(question);
      return confirmAnswer;
    };
    dialogs.showMessage = [this](const QString& message) { messages.append(message); };
    dialogs.chooseSaveFile = [this] { return saveAs; };
    dialogs.chooseOpenFile = [this] { return openName; };
  }
  void restart() {
    run.finish();
    start();
  }
  void TearDown() override {
    if (MainForm) {
      run.finish();
    }
  }
  QString playlist(const char* name, const QByteArray& bytes) {
    const QString path = run.profile.root() + QStringLiteral("/lists/") + QString::fromUtf8(name);
    EXPECT_TRUE(writeFile(path, bytes));
    return path;
  }
  //! A drop of local files on the main window, as the desktop delivers it.
  bool drop(const QStringList& files) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& file : files) {
      urls.append(QUrl::fromLocalFile(file));
    }
    mime.setUrls(urls);
    const QPoint at(MainForm->width() / 2, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(MainForm, &enter);
    if (!enter.isAccepted()) {
      return false;
    }
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(MainForm, &dropped);
    return dropped.isAccepted();
  }
  QStringList recentRows() const {
    QStringList rows;
    for (int row = 0; row < MainForm->ListsListBox->count(); ++row) {
      rows.append(MainForm->ListsListBox->item(row)->text());
    }
    return rows;
  }
  int boldRecentRow() const {
    for (int row = 0; row < MainForm->ListsListBox->count(); ++row) {
      if (MainForm->ListsListBox->item(row)->data(qv::ui::StationRowsModel::IsCurrentRole).toBool()) {
        return row;
      }
    }
    return -1;
  }

  ProgramRun run;
  std::deque<MergeAnswer> mergeAnswers;
  std::deque<SaveAnswer> saveAnswers;
  bool confirmAnswer = true;
  QString saveAs;
  QString openName;
  QStringList questions;
  QStringList messages;
};

TEST_F(PlaylistCommandsTest, RecentListFromFirstStartThroughDropsDeletesAndRestarts) {
  start();
  EXPECT_EQ(recentRows(), QStringList{qv::l_unsaved});
  EXPECT_EQ(MainForm->ListsListBox->sizeHintForRow(0), 15);

  const QString a = playlist("Jazz Lists.m3u", "#EXTINF:-1,Jazz\nhttp://127.0.0.1:1/jazz\n");
  const QString b = playlist("b.pls", "[playlist]\nFile1=http://127.0.0.1:1/b\nTitle1=B\n");
  const QString c = playlist("c.xspf",
                             "<p><trackList><track><title>C</title><location>http://127.0.0.1:1/c</location>"
                             "</track></trackList></p>");
  mergeAnswers = {MergeAnswer::Replace, MergeAnswer::Replace, MergeAnswer::Add};
  ASSERT_TRUE(drop({a, b, c}));
  EXPECT_EQ(questions, QStringList(3, QStringLiteral("merge")));
  EXPECT_EQ(names(MainForm->Stations.PLAY_ARRAY()), (QStringList{QStringLiteral("B"), QStringLiteral("C")}));
  EXPECT_EQ(recentRows(), (QStringList{QStringLiteral("b"), QStringLiteral("Jazz Lists")}));
  EXPECT_EQ(boldRecentRow(), 0);
  EXPECT_EQ(MainForm->PlaylistPath, b);

  // Reopening the older entry moves it up and marks it.
  MainForm->ListsListBox->setCurrentRow(1);
  mergeAnswers = {MergeAnswer::Replace};
  MainForm->playlistCommands().ListsListBoxDblClick(1);
  EXPECT_EQ(recentRows(), (QStringList{QStringLiteral("Jazz Lists"), QStringLiteral("b")}));

  restart();
  EXPECT_EQ(recentRows(), (QStringList{QStringLiteral("Jazz Lists"), QStringLiteral("b")}));
  EXPECT_EQ(boldRecentRow(), 0);

  MainForm->ListsListBox->setCurrentRow(0);
  confirmAnswer = false;
  MainForm->playlistCommands().Delete2Click();
  EXPECT_EQ(recentRows().size(), 2);
  EXPECT_FALSE(MainForm->UnsavedPL);
  confirmAnswer = true;
  MainForm->playlistCommands().Delete2Click();
  EXPECT_EQ(questions.mid(questions.size() - 2), QStringList(2, qv::l_delete + QLatin1Char('?')));
  EXPECT_EQ(recentRows(), QStringList{QStringLiteral("b")});
  EXPECT_TRUE(MainForm->UnsavedPL);

  restart();
  EXPECT_EQ(recentRows(), QStringList{QStringLiteral("b")});
  MainForm->playlistCommands().DeleteAll1Click();
  restart();
  EXPECT_EQ(recentRows(), QStringList{qv::l_unsaved});
}

TEST_F(PlaylistCommandsTest, WithUnsavedChangesEachDroppedFileAsksFirstAndCancelSkipsTheRest) {
  start();
  MainForm->UnsavedPL = true;
  const QString a = playlist("a.m3u", "http://127.0.0.1:1/a\n");
  const QString b = playlist("b.m3u", "http://127.0.0.1:1/b\n");
  saveAnswers = {SaveAnswer::Cancel};
  ASSERT_TRUE(drop({a, b}));
  EXPECT_EQ(questions, QStringList{QStringLiteral("save first")});
  EXPECT_TRUE(MainForm->Stations.PLAY_ARRAY().empty());

  // Yes saves (to the chosen file) and opens nothing; saving clears the flag, so no more questions.
  questions.clear();
  saveAnswers = {SaveAnswer::Yes};
  saveAs = run.profile.root() + QStringLiteral("/saved.ini");
  mergeAnswers = {MergeAnswer::Add};
  ASSERT_TRUE(drop({a, b}));
  EXPECT_EQ(questions, (QStringList{QStringLiteral("save first"), QStringLiteral("merge")}));
  EXPECT_TRUE(QFile::exists(saveAs));
  EXPECT_FALSE(MainForm->UnsavedPL);
  EXPECT_EQ(names(MainForm->Stations.PLAY_ARRAY()), QStringList{QStringLiteral("http://127.0.0.1:1/b")});
}

TEST_F(PlaylistCommandsTest, SaveWritesTheShownStationsAndAFailureKeepsTheFlag) {
  start();
  MainForm->Stations.replaceAll({{QStringLiteral("Rock 1"), QStringLiteral("http://r1"), QStringLiteral("Rock"), {}},
                                 {QStringLiteral("Jazz"), QStringLiteral("http://j"), QStringLiteral("Jazz"), {}},
                                 {QStringLiteral("Rock 2"), QStringLiteral("http://r2"), QStringLiteral("rock"), {}}});
  MainForm->SearchEdit->setText(QStringLiteral("rock"));
  MainForm->UnsavedPL = true;
  saveAs = run.profile.root() + QStringLiteral("/rock.PLS");
  MainForm->popSavePlaylistClick();
  QFile saved(saveAs);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(),
            QByteArray("[playlist]\r\nnumberofentries=2\r\nFile1=http://r1\r\nTitle1=Rock 1\r\nTag1=Rock\r\n"
                       "Preview1=\r\nFile2=http://r2\r\nTitle2=Rock 2\r\nTag2=rock\r\nPreview2=\r\n\r\n"));
  EXPECT_FALSE(MainForm->UnsavedPL);

  MainForm->UnsavedPL = true;
  saveAs = run.profile.root() + QStringLiteral("/no/such/folder/x.ini");
  MainForm->popSavePlaylistClick();
  EXPECT_TRUE(MainForm->UnsavedPL);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(QLatin1String("x.ini")));

  saveAs.clear();  // cancelled
  MainForm->popSavePlaylistClick();
  EXPECT_TRUE(MainForm->UnsavedPL);
}

TEST_F(PlaylistCommandsTest, TheEditorAddsAndEditsStationsAsTyped) {
  start();
  MainForm->Stations.replaceAll({{QStringLiteral("One"), QStringLiteral("http://1"), {}, {}},
                                 {QStringLiteral("Two"), QStringLiteral("http://2"), {}, {}},
                                 {QStringLiteral("Three"), QStringLiteral("http://3"), {}, {}},
                                 {QStringLiteral("Four"), QStringLiteral("http://4"), {}, {}}});
  MainForm->CurrentStation = 1;
  ASSERT_TRUE(AddEditForm);
  EXPECT_EQ(AddEditForm->size(), QSize(416, 150));
  EXPECT_EQ(AddEditForm->bOk->geometry(), QRect(319, 15, 89, 25));
  EXPECT_EQ(AddEditForm->eTag->geometry(), QRect(96, 74, 201, 23));

  // Add with every field empty.
  QTimer::singleShot(0, AddEditForm, [] { AddEditForm->bOk->click(); });
  MainForm->popAddStationClick();
  EXPECT_EQ(AddEditForm->windowTitle(), MainForm->l_addform);
  EXPECT_EQ(AddEditForm->bOk->text(), MainForm->l_addbtn);
  ASSERT_EQ(MainForm->Stations.PLAY_ARRAY().size(), 5u);
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY()[4], StationEntry{});
  EXPECT_EQ(MainForm->Stations.rowText(4), QStringLiteral("5. "));

  // Edit row 3 from the station list's menu: typed blanks stay; the fields are filled and emptied.
  MainForm->StationsPanel->StationsList->selectRow(2);
  QString shownName;
  QTimer::singleShot(0, AddEditForm, [&] {
    shownName = AddEditForm->eName->text();
    AddEditForm->eName->setText(QStringLiteral("  Drei <b>x</b> "));
    AddEditForm->eTag->setText(QStringLiteral(" tag"));
    AddEditForm->bOk->click();
  });
  MainForm->StationsPanel->Edit1Click();
  EXPECT_EQ(shownName, QStringLiteral("Three"));
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY()[2],
            (StationEntry{QStringLiteral("  Drei <b>x</b> "), QStringLiteral("http://3"), QStringLiteral(" tag"), {}}));
  EXPECT_EQ(MainForm->CurrentStation, 1);
  EXPECT_TRUE(AddEditForm->eName->text().isEmpty());

  // Cancel stores nothing.
  QTimer::singleShot(0, AddEditForm, [] {
    AddEditForm->eName->setText(QStringLiteral("Never"));
    AddEditForm->bcancel->click();
  });
  MainForm->popAddStationClick();
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY().size(), 5u);
}

TEST_F(PlaylistCommandsTest, LogosComeFromTheLocalServerAndAStoredErrorPageGivesWayToTheDefault) {
  QTemporaryDir served;
  QImage image(6, 2, QImage::Format_RGB32);
  image.fill(Qt::green);
  ASSERT_TRUE(image.save(served.filePath(QStringLiteral("logo.png")), "PNG"));
  StreamServer server(served.path());
  ASSERT_TRUE(server.ok()) << server.error();
  start();
  const QString good = QString::fromStdString(server.url("/file/logo.png"));
  const QString errorPage = QString::fromStdString(server.url("/status/404"));
  MainForm->Stations.replaceAll({{QStringLiteral("Good: FM"), QStringLiteral("http://g"), {}, good},
                                 {QStringLiteral("Broken"), QStringLiteral("http://b"), {}, errorPage},
                                 {QStringLiteral("None"), QStringLiteral("http://n"), {}, {}}});
  const QImage defaultLogo = MainForm->skin().image(QStringLiteral("PngStationLogo4")).toImage();
  const auto shown = [] { return MainForm->LogoImage->pixmap().toImage(); };

  qv::playlists::LogoFetcher& fetcher = MainForm->playlistCommands().logoFetcher();
  MainForm->CurrentStation = 0;
  MainForm->playlistCommands().showStationLogo();
  EXPECT_EQ(shown(), defaultLogo);  // until the logo has come
  fetcher.waitForDone();
  EXPECT_EQ(shown().size(), QSize(6, 2));
  const QString goodFile = qv::paths::CoversFolder() + QStringLiteral("/Good FM\u2014logo.png");
  EXPECT_TRUE(QFile::exists(goodFile));
  // The desktop's controls (media keys' art, notifications) show the same file.
  EXPECT_EQ(MainForm->stationLogoFile(), goodFile);

  // The error page is stored, fails to load, and goes; the default logo shows.
  MainForm->CurrentStation = 1;
  MainForm->playlistCommands().showStationLogo();
  fetcher.waitForDone();
  EXPECT_EQ(shown(), defaultLogo);
  EXPECT_EQ(MainForm->stationLogoFile(), QString());
  const QString brokenFile = qv::paths::CoversFolder() + QStringLiteral("/Broken\u2014404");
  EXPECT_FALSE(QFile::exists(brokenFile));

  // So does a damaged file already in the cache.
  ASSERT_TRUE(writeFile(brokenFile, "<html>Not Found</html>"));
  MainForm->CurrentStation = 0;
  MainForm->playlistCommands().showStationLogo();
  MainForm->CurrentStation = 1;
  MainForm->playlistCommands().showStationLogo();
  EXPECT_EQ(shown(), defaultLogo);
  EXPECT_FALSE(QFile::exists(brokenFile));

  // The cached file is used without the server.
  MainForm->CurrentStation = 2;
  MainForm->playlistCommands().showStationLogo();
  EXPECT_EQ(shown(), defaultLogo);
  MainForm->CurrentStation = 0;
  MainForm->playlistCommands().showStationLogo();
  EXPECT_EQ(shown().size(), QSize(6, 2));
}

TEST_F(PlaylistCommandsTest, TheEditorStoresTheLogoAndSaysWhenItCannot) {
  start();
  QStringList informed;
  AddEditForm->setInform([&](const QString& text) { informed.append(text); });
  QTimer::singleShot(0, AddEditForm, [] {
    AddEditForm->eName->setText(QStringLiteral("a/b:x"));
    AddEditForm->eLogo->setText(QStringLiteral(" /local/file/logo.png "));
    AddEditForm->bOk->click();
  });
  MainForm->popAddStationClick();
  AddEditForm->logoFetcher().waitForDone();
  ASSERT_EQ(informed.size(), 1);
  EXPECT_TRUE(informed[0].startsWith(QStringLiteral("Can't save logo image to local storage! ") +
                                     qv::paths::CoversFolder() + QStringLiteral("/abx\u2014logo.png")));
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY().back().Preview, QStringLiteral(" /local/file/logo.png "));
}

}  // namespace
