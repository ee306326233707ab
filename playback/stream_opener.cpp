#include "stream_opener.h"

#include "now_playing.h"

#include <QByteArray>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace qv::playback {

namespace {

// What a stream's callbacks need: whom to tell, and which request the stream belongs to.
struct StreamContext {
  StreamOpener::State* state;
  int request;
};

}  // namespace

struct StreamOpener::State {
  explicit State(StreamReports& r) : reports(r) {}

  StreamReports& reports;
  // StreamLock: guards the increment of the counter and the compare-and-install of the stream,
  // nothing else; never held across an engine call or a report.
  std::mutex streamLock;
  int counterUnderLock = 0;
  std::atomic<int> requestCounter{0};
  std::atomic<qv::engine::Handle> streamHandle{0};
  std::atomic<bool> openPending{false};
  std::atomic<int> overtakenFreed{0};
  std::atomic<bool> closing{false};

  // The callbacks' contexts live as long as the opener: the engine may call a stream's callbacks
  // until it frees the stream by itself, which nobody is told about.
  std::mutex contextsLock;
  std::vector<std::unique_ptr<StreamContext>> contexts;

  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::vector<Worker> workers;  // touched by the opening thread only

  bool shows(int request) const { return !closing.load() && request == requestCounter.load(); }

  StreamContext* newContext(int request) {
    const std::lock_guard lock(contextsLock);
    contexts.push_back(std::make_unique<StreamContext>(StreamContext{this, request}));
    return contexts.back().get();
  }

  int newRequest() {
    const std::lock_guard lock(streamLock);
    const int request = ++counterUnderLock;
    requestCounter.store(request);
    return request;
  }
  void runWorker(int request, const QByteArray& url, const StartSound& sound);
};

namespace {

void downloadStatus(const char* headers, std::uint32_t length, void* user) {
  const auto* context = static_cast<StreamContext*>(user);
  if (headers == nullptr || !context->state->shows(context->request)) {
    return;  // the status of an overtaken request is dropped
  }
  // The engine passes the length 0 with the block (NUL-separated lines): its first line is the status.
  const qsizetype size = length != 0 ? qsizetype(length) : qsizetype(qstrlen(headers));
  context->state->reports.report(context->request, StatusReport::serverStatus(QByteArrayView(headers, size)));
}

void metaSync(qv::engine::Handle, qv::engine::Handle stream, std::uint32_t, void* user) {
  const auto* context = static_cast<StreamContext*>(user);
  if (!context->state->shows(context->request)) {
    return;
  }
  if (const std::optional<QString> title = readNowPlaying(streamTags(stream))) {
    context->state->reports.nowPlaying(context->request, *title);
  }
}

void stallSync(qv::engine::Handle, qv::engine::Handle, std::uint32_t data, void* user) {
  const auto* context = static_cast<StreamContext*>(user);
  if (data == 0 && context->state->shows(context->request)) {
    context->state->reports.streamStalled(context->request);
  }
}

void endSync(qv::engine::Handle, qv::engine::Handle, std::uint32_t, void* user) {
  const auto* context = static_cast<StreamContext*>(user);
  if (context->state->shows(context->request)) {
    context->state->reports.streamEnded(context->request);
  }
}

// A list tag is NUL-separated lines ended by an empty one.
QList<QByteArray> tagLines(const qv::engine::TagText& list) {
  QList<QByteArray> lines;
  for (const char* line = list ? list->c_str() : nullptr; line != nullptr && *line != '\0'; line += qstrlen(line) + 1) {
    lines.append(QByteArray(line));
  }
  return lines;
}

std::optional<QByteArray> tagText(const qv::engine::TagText& text) {
  return text == nullptr ? std::nullopt : std::optional<QByteArray>(QByteArray(text->c_str()));
}

}  // namespace

StreamTags streamTags(qv::engine::Handle stream) {
  using qv::engine::Tag;
  StreamTags tags;
  tags.icyMetadata = tagText(qv::engine::channelGetTags(stream, Tag::Meta));
  if (const qv::engine::TagText ogg = qv::engine::channelGetTags(stream, Tag::Ogg)) {
    tags.oggComments = tagLines(ogg).join('\0');
  }
  tags.hlsSegmentLabel = tagText(qv::engine::channelGetTags(stream, Tag::HlsExtinf));
  return tags;
}

QList<QByteArray> headerLines(qv::engine::Handle stream) {
  const qv::engine::TagText icy = qv::engine::channelGetTags(stream, qv::engine::Tag::Icy);
  return tagLines(icy != nullptr ? icy : qv::engine::channelGetTags(stream, qv::engine::Tag::Http));
}

void StreamOpener::State::runWorker(int request, const QByteArray& url, const StartSound& sound) {
  // 0 on the first request: ignored by the engine. A stream that fades out frees itself at the end.
  if (sound.fadeOutPreviousMs == 0 || !qv::engine::channelFadeOut(streamHandle.load(), sound.fadeOutPreviousMs)) {
    qv::engine::streamFree(streamHandle.load());
  }
  if (shows(request)) {
    reports.report(request, StatusReport::connecting());
  }

  StreamContext* context = newContext(request);
  std::vector<qv::engine::Handle> effects(sound.effects.size(), 0);
  const qv::engine::StreamStart start{sound.volume,   sound.effects.data(), sound.effects.size(),
                                      effects.data(), sound.levelWatch,     sound.levelling};
  const qv::engine::Handle stream =
      qv::engine::streamCreateUrlWith(url.constData(), qv::engine::AutoFree, &downloadStatus, context, start);
  const int errorCode = stream == 0 ? static_cast<int>(qv::engine::errorGetCode()) : 0;

  bool newest = false;
  {
    const std::lock_guard lock(streamLock);
    newest = counterUnderLock == request;
    if (newest) {
      streamHandle.store(stream);
    }
  }
  if (!newest) {
    if (stream != 0) {
      qv::engine::streamFree(stream);
      overtakenFreed.fetch_add(1);
    }
    return;
  }
  if (stream == 0) {
    openPending.store(false);
    if (shows(request)) {
      reports.report(request, StatusReport::failed(errorCode));
    }
    return;
  }

  if (!shows(request)) {
    // Withdrawn just after it was installed: never heard (the next open frees the handle).
    qv::engine::channelStop(stream);
    return;
  }

  using qv::engine::SyncType;
  for (const SyncType type : {SyncType::Meta, SyncType::OggChange, SyncType::HlsSegment}) {
    qv::engine::channelSetSync(stream, type, &metaSync, context);
  }
  qv::engine::channelSetSync(stream, SyncType::Stall, &stallSync, context);
  qv::engine::channelSetSync(stream, SyncType::End, &endSync, context);
  qv::engine::channelPlay(stream);
  openPending.store(false);
  if (shows(request)) {
    reports.streamStarted(request, stream, effects);
  }
  // Withdrawn before the controller took the stream: nobody else knows it plays. (Taken, it is
  // the controller's to stop; a newer open frees it first thing anyway.)
  if (!shows(request)) {
    qv::engine::channelStop(stream);
  }
}

StreamOpener::StreamOpener(StreamReports& reports) : m_state(std::make_shared<State>(reports)) {}

StreamOpener::~StreamOpener() {
  shutDown();
}

void StreamOpener::open(const QString& url, const StartSound& sound) {
  auto& workers = m_state->workers;
  for (auto it = workers.begin(); it != workers.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = workers.erase(it);
    } else {
      ++it;
    }
  }
  m_state->openPending.store(true);
  auto done = std::make_shared<std::atomic<bool>>(false);
  // Numbered here rather than on the worker, so that the request made last is the newest one
  // whatever order the workers happen to start in.
  const int request = m_state->newRequest();
  State* state = m_state.get();
  workers.push_back({std::thread([state, done, request, sound, link = url.toUtf8()] {
                       state->runWorker(request, link, sound);
                       done->store(true);
                     }),
                     done});
}

bool StreamOpener::openPending() const {
  return m_state->openPending.load();
}

void StreamOpener::withdraw() {
  m_state->newRequest();
  m_state->openPending.store(false);
}

int StreamOpener::requestCounter() const {
  return m_state->requestCounter.load();
}

qv::engine::Handle StreamOpener::stream() const {
  return m_state->streamHandle.load();
}

int StreamOpener::overtakenStreamsFreed() const {
  return m_state->overtakenFreed.load();
}

void StreamOpener::shutDown() {
  m_state->closing.store(true);
  for (State::Worker& worker : m_state->workers) {
    worker.thread.join();
  }
  m_state->workers.clear();
}

}  // namespace qv::playback
