// The stream opener against the local test server: the newest request installs its stream, an
// overtaken one frees its own and shows nothing, and a refused open reports the engine's code.
#include "stream_opener.h"
#include "engine.h"
#include "stream_server.h"

#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace {

using qv::playback::ReportCode;

// Records what reaches the window, with the request each report belongs to.
class RecordedReports : public qv::playback::StreamReports {
 public:
  struct Entry {
    int request;
    ReportCode code;
    int number;
    qv::engine::Handle started = 0;
  };
  void report(int request, const qv::playback::StatusReport& r) override { add({request, r.code, r.number}); }
  void streamStarted(int request, qv::engine::Handle stream, const std::vector<qv::engine::Handle>&) override {
    add({request, ReportCode::Connecting, -1, stream});
  }
  void streamStalled(int) override {}
  void streamEnded(int) override {}
  void nowPlaying(int request, const QString&) override { add({request, ReportCode::Title, 0}); }

  std::vector<Entry> entries() const {
    const std::lock_guard lock(m_lock);
    return m_entries;
  }

 private:
  void add(const Entry& entry) {
    const std::lock_guard lock(m_lock);
    m_entries.push_back(entry);
  }
  mutable std::mutex m_lock;
  std::vector<Entry> m_entries;
};

template <typename Done>
bool waitUntil(Done done, int ms = 10000) {
  const QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) {
      return false;
    }
    QThread::msleep(10);
  }
  return true;
}

class StreamOpenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.ok()) << server.error();
    ASSERT_TRUE(qv::engine::init(0, 44100)) << "no output: streams decode, nothing is heard";
  }
  void TearDown() override { qv::engine::release(); }

  QString url(const char* path) const { return QString::fromStdString(server.url(path)); }

  StreamServer server;
  RecordedReports reports;
};

TEST_F(StreamOpenerTest, TheNewestRequestWinsAndAnOvertakenStreamIsFreedUnseen) {
  qv::playback::StreamOpener opener(reports);
  // The first station trickles in, so its open is still running when the second request comes.
  opener.open(url("/icy/sine1k.mp3?burst=0&rate=6000&name=Slow"));
  opener.open(url("/icy/sine1k.mp3?name=Fast"));
  EXPECT_EQ(opener.requestCounter(), 2);

  ASSERT_TRUE(waitUntil([&] { return opener.overtakenStreamsFreed() == 1; })) << "the slow open finished and freed";
  ASSERT_TRUE(waitUntil([&] { return !opener.openPending(); }));
  qv::engine::Handle started = 0;
  for (const RecordedReports::Entry& entry : reports.entries()) {
    if (entry.request == 1) {
      EXPECT_EQ(entry.code, ReportCode::Connecting) << "nothing of an overtaken request after its report 0";
      EXPECT_EQ(entry.started, 0U);
    } else if (entry.started != 0) {
      started = entry.started;
    }
  }
  ASSERT_NE(started, 0U);
  EXPECT_EQ(opener.stream(), started);
  EXPECT_NE(qv::engine::channelIsActive(started), qv::engine::ChannelState::Stopped);

  // The next request frees the installed stream before it opens its own.
  opener.open(url("/status/404"));
  ASSERT_TRUE(waitUntil([&] { return !opener.openPending(); }));
  ASSERT_TRUE(waitUntil([&] { return qv::engine::channelIsActive(started) == qv::engine::ChannelState::Stopped; }));
  EXPECT_EQ(opener.stream(), 0U);
}

TEST_F(StreamOpenerTest, FailedOpensReportTheEnginesCode) {
  struct Case {
    const char* path;
    qv::engine::ErrorCode code;
  };
  const Case cases[] = {{"/status/404", qv::engine::ErrorCode::HttpStatus},
                        {"/garbage-status", qv::engine::ErrorCode::ProtocolError}};
  for (const Case& c : cases) {
    RecordedReports recorded;
    qv::playback::StreamOpener opener(recorded);
    opener.open(url(c.path));
    ASSERT_TRUE(waitUntil([&] { return !opener.openPending(); })) << c.path;
    opener.shutDown();
    const std::vector<RecordedReports::Entry> entries = recorded.entries();
    ASSERT_GE(entries.size(), 2U) << c.path;
    EXPECT_EQ(entries.front().code, ReportCode::Connecting) << c.path;
    EXPECT_EQ(entries.back().code, ReportCode::Failed) << c.path;
    EXPECT_EQ(entries.back().number, static_cast<int>(c.code)) << c.path;
  }
}

}  // namespace
