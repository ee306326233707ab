#pragma once

#include "byte_ring.h"
#include "engine_types.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVInputFormat;
struct AVCodecContext;
struct AVIOContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

namespace qv::engine {

//! Frees an FFmpeg object with FFmpeg's own function for it.
struct FfmpegFree {
  void operator()(AVFormatContext* format) const;
  void operator()(AVIOContext* io) const;  // with its buffer
  void operator()(AVCodecContext* codec) const;
  void operator()(SwrContext* swr) const;
  void operator()(AVPacket* packet) const;
  void operator()(AVFrame* frame) const;
};
template <typename T>
using FfmpegPtr = std::unique_ptr<T, FfmpegFree>;

//! FFmpeg demuxing and decoding from a stream's ByteRing, converted to interleaved float stereo at
//! the output rate. Used by one thread at a time: the opening thread, then the decoder thread.
class Decoder {
 public:
  struct Hooks {
    //! Called while a read waits for the network, about every 50 ms.
    std::function<void()> idle;
    //! A new Ogg logical stream (or its first) brought these comments, "NAME=value" each.
    std::function<void(std::vector<std::string> comments, bool first)> oggComments;
    //! A packet read from byte `position` of the input is about to be decoded; `framesBefore`
    //! frames were converted before any of its audio.
    std::function<void(std::int64_t position, std::uint64_t framesBefore)> packet;
  };

  //! `openTimeout`: how long open() may wait for the first audio before it gives up.
  Decoder(ByteRing& ring, int outputRateHz, std::chrono::milliseconds openTimeout, Hooks hooks);
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  //! Picks the demuxer from the content type (probing when it names none we know), opens the
  //! codec and decodes until the first audio: its frames wait in the output of the next decode().
  ErrorCode open(const std::string& contentType);

  enum class Result : std::uint8_t { Audio, End, Failed };
  //! Appends the next converted frames to `out` (interleaved stereo).
  Result decode(std::vector<float>& out);

  //! Ends any read that waits for the network.
  void abort() { m_abort = true; }

  int sourceRateHz() const { return m_sourceRate.load(); }
  int sourceChannels() const { return m_sourceChannels.load(); }
  int bitrateKbps() const { return m_bitrateKbps.load(); }
  //! FFmpeg's name of the codec, a static text.
  const char* codecName() const { return m_codecName.load(); }

 private:
  static int readPacket(void* self, std::uint8_t* buffer, int size);
  ErrorCode openInput(const std::string& contentType);
  //! The custom I/O and format context of a new input, the packet and the frame; false when out
  //! of memory.
  bool allocateInput();
  //! The demuxer named by the content type, else probed; UnsupportedFormat when it is no audio
  //! format we play.
  ErrorCode findDemuxer(const std::string& contentType, const AVInputFormat*& input);
  //! Decodes until the first audio, which waits in m_pending.
  ErrorCode decodeFirstAudio();
  void closeInput();
  //! At a boundary of the ring (an HLS discontinuity): closes the input and opens what follows,
  //! probing its format anew; false when it cannot be played.
  bool reopenAfterBoundary();
  ErrorCode openCodec();
  bool convert(AVFrame* frame, std::vector<float>& out);
  void readOggComments(AVPacket* packet);
  void deliverComments(std::vector<std::string> comments);

  ByteRing& m_ring;
  int m_outputRate;
  Hooks m_hooks;
  std::atomic<bool> m_abort{false};
  // Freed in reverse order: the format context before the I/O it reads through.
  FfmpegPtr<AVIOContext> m_io;
  FfmpegPtr<AVFormatContext> m_format;
  FfmpegPtr<AVCodecContext> m_codec;
  FfmpegPtr<SwrContext> m_swr;
  FfmpegPtr<AVPacket> m_packet;
  FfmpegPtr<AVFrame> m_frame;
  int m_streamIndex = -1;
  int m_swrRate = 0, m_swrFormat = -1, m_swrChannels = 0;  // what m_swr was set up for
  std::atomic<int> m_sourceRate{0}, m_sourceChannels{0};   // read by API threads
  std::atomic<int> m_bitrateKbps{0};                       // read by API threads
  std::atomic<const char*> m_codecName{""};                // read by API threads
  int m_consecutiveErrors = 0;
  std::uint64_t m_bytesRead = 0;   // through readPacket
  std::uint64_t m_inputStart = 0;  // m_bytesRead when the current input was opened
  bool m_atBoundary = false;       // the current input ended at a boundary of the ring
  std::uint64_t m_framesOut = 0;   // converted frames, those open() keeps included
  bool m_opening = true;           // open() has not found audio yet
  bool m_openTimedOut = false;
  std::chrono::milliseconds m_openTimeout;
  std::chrono::steady_clock::time_point m_openDeadline;
  bool m_draining = false;
  std::vector<float> m_pending;  // audio decoded by open()
  std::vector<float> m_scratch;
  std::vector<std::string> m_lastComments;  // of the Ogg logical stream read now
};

}  // namespace qv::engine
