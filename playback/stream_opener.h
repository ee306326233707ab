#pragma once

#include "engine.h"
#include "now_playing.h"
#include "status_report.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

namespace qv::playback {

//! The current tags of `stream` for ReadNowPlaying, copied out of the engine.
StreamTags streamTags(qv::engine::Handle stream);
//! The stream's ICY header lines, or its HTTP lines when it has none.
QList<QByteArray> headerLines(qv::engine::Handle stream);

//! How a stream sounds from its first sample: the volume and the effects it is opened with.
struct StartSound {
  float volume = 1.0F;
  std::vector<qv::engine::StartEffect> effects;
  qv::engine::LevelWatch levelWatch;
  qv::dsp::LevellingParameters levelling;
  //! The stream this one replaces fades out over this long (0: it stops at once).
  std::uint32_t fadeOutPreviousMs = 0;
};

//! Where the opener's workers and the stream's callbacks send what happens. Every call carries the
//! number of the request it belongs to; the receiver shows it only while that request is the
//! newest (StreamOpener::isNewest), so an overtaken request never shows anything.
class StreamReports {
 public:
  virtual ~StreamReports() = default;
  //! From the worker: reports 0, 1 and 8. Returns once the window has handled it; never called
  //! while the opener holds its lock.
  virtual void report(int request, const StatusReport& report) = 0;
  //! From the worker: the request's stream is installed and playing, with the handles of its start
  //! effects in their order. Blocking like report().
  virtual void streamStarted(int request, qv::engine::Handle stream,
                             const std::vector<qv::engine::Handle>& effects) = 0;
  //! From the stream's own threads: these must not wait for the window, because the window's
  //! thread may be waiting for that very thread (stopping or freeing the stream).
  virtual void streamStalled(int request) = 0;
  virtual void streamEnded(int request) = 0;
  virtual void nowPlaying(int request, const QString& title) = 0;
};

//! Opens streams on short-lived workers, one per request, and lets only the newest request
//! install its stream: an overtaken request frees the stream it opened and reports nothing more.
class StreamOpener {
 public:
  explicit StreamOpener(StreamReports& reports);
  //! Waits for the workers; each ends within the engine's network time-out. Release the engine
  //! first, so that no open is left waiting.
  ~StreamOpener();
  StreamOpener(const StreamOpener&) = delete;
  StreamOpener& operator=(const StreamOpener&) = delete;

  //! Sets OpenPending and starts a worker for `url`; the stream has `sound` before it is heard.
  void open(const QString& url, const StartSound& sound = {});
  //! A request's worker has not yet installed its stream (or failed).
  bool openPending() const;
  //! The user stopped: the request still opening is overtaken as by a newer one (its worker frees
  //! or stops what it opens and reports nothing more) and nothing is pending. The installed stream
  //! is the caller's to stop.
  void withdraw();
  //! The number of the newest request; requests are numbered from 1.
  int requestCounter() const;
  bool isNewest(int request) const { return request == requestCounter(); }
  //! The installed stream, 0 for none.
  qv::engine::Handle stream() const;
  //! How many streams of overtaken requests were freed by their own worker.
  int overtakenStreamsFreed() const;
  //! Stops every report from now on and waits for the workers.
  void shutDown();

  struct State;

 private:
  std::shared_ptr<State> m_state;
};

}  // namespace qv::playback
