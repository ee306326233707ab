#pragma once

#include "byte_ring.h"
#include "decoder.h"
#include "effect_chain.h"
#include "engine.h"
#include "hls_reader.h"
#include "loudness_leveller.h"
#include "net_reader.h"
#include "pcm_ring.h"
#include "tag_store.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qv::engine {

class Output;

struct StreamSettings {
  int outputRateHz = 44100;
  std::uint32_t bufferMs = 500;
  NetOptions net;
  std::uint32_t flags = 0;
  bool playlistFollowing = false;  // a link answering with a PLS, M3U or XSPF playlist is followed
  Output* output = nullptr;        // the decoder thread moves it to the default when its device goes
};

//! One network stream. Threads: the opening thread (open), its network thread (NetReader or
//! HlsReader), its decoder thread (decodeLoop, which also delivers the syncs raised by the audio
//! callback), the audio callback (mix) and any API thread. Fields say which of them owns them.
//!
//! Locks: m_sleepMutex, m_segmentMutex and m_syncMutex (and the locks inside m_bytes, m_tags and
//! m_effects) are leaves: none is held while another is taken or while a sync runs. The audio
//! callback takes none of them.
class Stream {
 public:
  explicit Stream(StreamSettings settings);
  ~Stream();
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  //! Connects and decodes up to the first audio; the download callback gets the header block.
  ErrorCode open(DownloadProc download, void* user);
  //! Stops every thread of the stream and waits for them. Idempotent.
  void shutdown();
  //! Whether the calling thread is one of this stream's own (freeing from there must be deferred).
  bool isOwnThread() const;

  void setHandle(Handle handle) { m_handle.store(handle); }
  std::uint32_t flags() const { return m_settings.flags; }

  void play();
  //! Starts `output` at once when the first sound is already buffered; otherwise the stream's
  //! decoder thread starts it once it is (`waiting` tells which), so the device does not queue
  //! silence ahead of it while the stream fills its buffer. When the device cannot be started
  //! then, the stream ends.
  ErrorCode startOutputOnFirstSound(Output& output, bool& waiting);
  //! Waits up to `limit` for the first sound to be buffered; true when it is.
  bool waitForFirstSound(std::chrono::milliseconds limit) const;
  //! Takes back a start left to the decoder thread; false when that thread has already taken it.
  bool cancelOutputStart() { return m_outputToStart.exchange(nullptr) != nullptr; }
  void stop();
  //! Fades out over `frames`, then stops; false when it was not playing and stopped at once.
  bool fadeOut(std::uint32_t frames);
  void pause();
  ChannelState state() const { return static_cast<ChannelState>(m_state.load()); }
  void setVolume(float volume) { m_volume.store(volume); }
  float volume() const { return m_volume.load(); }
  std::uint32_t level() const;
  //! Before open only; see LevelWatch.
  void setLevelWatch(LevelWatch watch) { m_levelWatch = std::move(watch); }
  //! Before open only; see StreamStart::levelling.
  void setLevelling(const qv::dsp::LevellingParameters& parameters);
  //! The levelling gain in dB; false when the stream is not levelled.
  bool levellingGain(float& gainDb) const;
  //! After the stream has left the output for good: tells the watch there is no level any more.
  void levelGone();
  int bufferingPercent() const;
  ChannelInfo info() const;
  TagText tag(Tag which) const { return m_tags.get(which); }

  Handle addSync(SyncType type, SyncProc proc, void* user);
  bool removeSync(Handle sync);

  //! The stream's equalizer and reverb effects: changed from any thread, run on the decoder thread.
  qv::dsp::EffectChain& effects() { return m_effects; }

  //! Audio callback: adds this stream's frames to `mix` (interleaved stereo), then tells the level
  //! watch a changed level. Never locks.
  void mix(float* mix, std::size_t frames);

  //! Set when the stream has ended or was stopped with AutoFree: the engine retires it.
  bool wantsRetiring() const { return m_retire.load(); }

 private:
  void mixPass(float* mix, std::size_t frames);
  //! Audio callback: applies the fade to `frames` frames read; true once it has reached silence.
  bool applyFade(float* frames, std::size_t count);
  //! Audio callback: the fade is over, the stream stops as by stop().
  void endFade();
  enum State : std::uint8_t { kStopped = 0, kPlaying = 1, kStalled = 2, kPaused = 3 };
  enum Event : std::uint32_t { kStallEvent = 1, kResumeEvent = 2, kEndEvent = 4 };

  //! Connects to `m_settings.net.url`, following playlist links, until the answer is the stream
  //! itself (its body waits in m_bytes) or an HLS playlist (then an HlsReader is the source).
  ErrorCode connect();
  //! Reads the body of the current answer from m_bytes into `body` until it holds `limit` bytes or
  //! ends; `complete` tells that it ended.
  ErrorCode readBody(std::string& body, std::size_t limit, bool& complete);
  void onPacket(std::int64_t position, std::uint64_t framesBefore);
  void deliverHeardSegments();
  void decodeLoop();
  void deliverEvents();
  //! The pre-buffer is filled, or the stream ended with less: playing can begin.
  bool hasFirstSound() const;
  //! Decoder thread: starts the output asked for by startOutputOnFirstSound once there is sound.
  void startOutputIfSound();
  //! Audio callback or decoder thread, once: the stream has ended; the decoder thread tells it.
  void raiseEnd();
  void fire(SyncType type, std::uint32_t data);
  void onMeta(std::string text);
  void onOggComments(std::vector<std::string> comments, bool first);
  bool push(std::vector<float>& frames);
  void deliverHeardComments();
  //! How long the decoder may sleep on a full buffer: while half of it plays, but no longer than
  //! until the next comment or segment is heard, and briefly while a resume is awaited.
  std::chrono::milliseconds fullBufferSleep() const;
  //! Sleeps for `duration` unless shutdown comes first, which ends the sleep at once.
  void sleepUnlessStopping(std::chrono::milliseconds duration);

  StreamSettings m_settings;  // read-only after construction
  // Set by the engine once the stream is registered, after its threads run; read by fire().
  std::atomic<Handle> m_handle{0};
  ByteRing m_bytes;  // its own lock; network thread writes, opening then decoder thread reads
  PcmRing m_pcm;     // lock-free; decoder thread writes, audio callback reads
  // Opening thread until open returns, then read-only (shutdown joins and stops them; it runs
  // once, on the thread that frees the stream, or in the destructor).
  std::unique_ptr<ByteSource> m_source;  // a NetReader, or an HlsReader for HLS streams
  bool m_hls = false;                    // the source is an HLS playlist's segments
  std::unique_ptr<Decoder> m_decoder;
  std::thread m_decodeThread;
  // Ids of the stream's own threads, kept apart from the std::thread objects so that isOwnThread
  // may run on any thread while another one joins them. The decoder thread stores its own id first
  // thing; open stores the network thread's before the stream has a handle, so before any sync.
  std::atomic<std::thread::id> m_decodeThreadId{};
  std::atomic<std::thread::id> m_netThreadId{};
  std::atomic<bool> m_stopping{false};
  std::atomic<bool> m_shutDown{false};
  std::mutex m_sleepMutex;  // with m_sleepEnds: shutdown wakes a sleeping decoder thread
  std::condition_variable m_sleepEnds;
  std::size_t m_prebufferFrames;  // read-only after construction
  NetAnswer m_answer;             // written by open, read-only afterwards

  // Written by API threads and the audio callback (compare-exchange on both sides).
  std::atomic<std::uint8_t> m_state{kStopped};
  std::atomic<bool> m_firstBuffering{false};  // the pre-buffer before the first sound
  // Set by the API thread that plays, taken (exchanged for null) by whichever thread starts it.
  std::atomic<Output*> m_outputToStart{nullptr};
  std::atomic<bool> m_decoderDone{false};  // decoder thread: no more frames will come
  std::atomic<std::uint32_t> m_events{0};  // audio callback raises, decoder thread delivers
  std::atomic<bool> m_ended{false};        // set after kEndEvent is raised (raiseEnd)
  std::atomic<bool> m_retire{false};
  std::atomic<float> m_volume{1.0f};
  std::atomic<std::uint32_t> m_fadeRequest{0};  // frames; API thread sets it once, callback takes it
  std::uint32_t m_fadeTotal = 0;                // audio callback
  std::uint32_t m_fadeLeft = 0;                 // audio callback

  // Level: peaks of the last four 5 ms pieces heard, left | right << 16. Audio callback writes.
  std::array<std::atomic<std::uint32_t>, 4> m_peaks{};
  std::size_t m_peakPiece = 0;        // audio callback
  std::size_t m_pieceFramesDone = 0;  // audio callback
  float m_pieceLeft = 0, m_pieceRight = 0;
  LevelWatch m_levelWatch;                    // read-only after open
  std::uint32_t m_watchedLevel = UINT32_MAX;  // audio callback; levelGone once it no longer runs
  std::vector<float> m_mixScratch;            // audio callback; sized in the constructor

  TagStore m_tags;

  // Ogg comments of logical streams not heard yet, with the audio position where each begins.
  struct PendingComments {
    std::size_t atFrame;
    std::vector<std::string> comments;
  };
  std::deque<PendingComments> m_pendingComments;  // decoder thread

  // HLS segments: where each begins in the bytes (network thread to decoder thread), then in the
  // audio (decoder thread), so its label is told when it starts to be heard.
  std::mutex m_segmentMutex;
  std::deque<HlsReader::SegmentStart> m_segmentStarts;  // m_segmentMutex
  struct PendingSegment {
    std::uint64_t atFrame;
    std::string label;
  };
  std::deque<PendingSegment> m_pendingSegments;  // decoder thread

  struct Sync {
    Handle handle;
    SyncType type;
    SyncProc proc;
    void* user;
  };
  mutable std::mutex m_syncMutex;  // never held while a sync runs
  std::vector<Sync> m_syncs;       // m_syncMutex

  // Its own control lock; the decoder thread runs it without waiting for that lock.
  qv::dsp::EffectChain m_effects;
  // Set before open, then run by the decoder thread after the effects; its gain is read anywhere.
  std::unique_ptr<qv::dsp::LoudnessLeveller> m_leveller;
};

}  // namespace qv::engine
