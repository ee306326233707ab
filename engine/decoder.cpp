#include "decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <chrono>
#include <utility>

namespace qv::engine {

namespace {

constexpr int kIoBufferSize = 8192;
// Enough for any frame header we read; small so that the first audio comes quickly.
constexpr int kProbeBytes = 32 * 1024;
constexpr int kMaxConsecutiveErrors = 50;
// A stream that has shown no audio in this much data is not one we can play.
constexpr std::uint64_t kOpenBudgetBytes = 512 * 1024;

const char* demuxerFor(const std::string& contentType) {
  if (contentType == "audio/mpeg" || contentType == "audio/mp3" || contentType == "audio/mpeg3" ||
      contentType == "audio/x-mpeg") {
    return "mp3";
  }
  if (contentType == "audio/aac" || contentType == "audio/aacp" || contentType == "audio/x-aac" ||
      contentType == "audio/x-aacp") {
    return "aac";
  }
  if (contentType == "audio/ogg" || contentType == "application/ogg" || contentType == "audio/opus" ||
      contentType == "audio/vorbis" || contentType == "audio/x-ogg") {
    return "ogg";
  }
  if (contentType == "audio/flac" || contentType == "audio/x-flac") {
    return "flac";
  }
  return nullptr;
}

std::vector<std::string> commentsOf(const AVDictionary* dictionary) {
  std::vector<std::string> comments;
  const AVDictionaryEntry* entry = nullptr;
  while ((entry = av_dict_get(dictionary, "", entry, AV_DICT_IGNORE_SUFFIX)) != nullptr) {
    comments.push_back(std::string(entry->key) + "=" + entry->value);
  }
  return comments;
}

}  // namespace

void FfmpegFree::operator()(AVFormatContext* format) const {
  avformat_close_input(&format);
}

void FfmpegFree::operator()(AVIOContext* io) const {
  av_freep(&io->buffer);
  avio_context_free(&io);
}

void FfmpegFree::operator()(AVCodecContext* codec) const {
  avcodec_free_context(&codec);
}

void FfmpegFree::operator()(SwrContext* swr) const {
  swr_free(&swr);
}

void FfmpegFree::operator()(AVPacket* packet) const {
  av_packet_free(&packet);
}

void FfmpegFree::operator()(AVFrame* frame) const {
  av_frame_free(&frame);
}

Decoder::Decoder(ByteRing& ring, int outputRateHz, std::chrono::milliseconds openTimeout, Hooks hooks)
    : m_ring(ring), m_outputRate(outputRateHz), m_hooks(std::move(hooks)), m_openTimeout(openTimeout) {}

// The members go in reverse order: frame, packet, resampler, codec, format, then its I/O.
Decoder::~Decoder() = default;

void Decoder::closeInput() {
  m_codec.reset();
  m_format.reset();
  m_io.reset();
}

int Decoder::readPacket(void* selfPointer, std::uint8_t* buffer, int size) {
  auto* self = static_cast<Decoder*>(selfPointer);
  if (self->m_atBoundary) {
    return AVERROR_EOF;  // demuxers read again after an end: what follows is the next input's
  }
  while (!self->m_abort) {
    // A server that trickles bytes never trips the no-data time-out; the first audio has a limit.
    if (self->m_opening && std::chrono::steady_clock::now() > self->m_openDeadline) {
      self->m_openTimedOut = true;
      return AVERROR_EXIT;
    }
    std::size_t got = 0;
    switch (self->m_ring.read(buffer, static_cast<std::size_t>(size), got, std::chrono::milliseconds(50))) {
      case ByteRing::ReadStatus::Data:
        self->m_bytesRead += got;
        if (self->m_opening && self->m_bytesRead - self->m_inputStart > kOpenBudgetBytes) {
          return AVERROR_INVALIDDATA;
        }
        return static_cast<int>(got);
      case ByteRing::ReadStatus::Finished:
        return AVERROR_EOF;
      case ByteRing::ReadStatus::Boundary:
        // The input ends here; decode() opens what follows as a new one.
        self->m_atBoundary = true;
        return AVERROR_EOF;
      case ByteRing::ReadStatus::Closed:
        return AVERROR_EXIT;
      case ByteRing::ReadStatus::TimedOut:
        if (self->m_hooks.idle) {
          self->m_hooks.idle();
        }
        break;
    }
  }
  return AVERROR_EXIT;
}

ErrorCode Decoder::open(const std::string& contentType) {
  m_openDeadline = std::chrono::steady_clock::now() + m_openTimeout;
  const ErrorCode result = openInput(contentType);
  return m_openTimedOut ? ErrorCode::Timeout : result;
}

ErrorCode Decoder::openInput(const std::string& contentType) {
  m_inputStart = m_bytesRead;
  if (!allocateInput()) {
    return ErrorCode::Unknown;
  }
  const AVInputFormat* input = nullptr;
  if (const ErrorCode found = findDemuxer(contentType, input); found != ErrorCode::Ok) {
    return found;
  }
  AVDictionary* options = nullptr;
  av_dict_set(&options, "fpsprobesize", "0", 0);
  // avformat_open_input frees the context on failure, and takes it by address.
  AVFormatContext* format = m_format.release();
  const int opened = avformat_open_input(&format, nullptr, input, &options);
  m_format.reset(format);
  av_dict_free(&options);
  if (opened < 0) {
    return opened == AVERROR_EOF && m_bytesRead - m_inputStart <= kOpenBudgetBytes ? ErrorCode::ClosedEarly
                                                                                   : ErrorCode::UnsupportedFormat;
  }
  m_streamIndex = av_find_best_stream(m_format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (m_streamIndex < 0) {
    // Raw formats learn their stream from the first packet.
    if (m_format->nb_streams == 0 || m_format->streams[0]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) {
      return ErrorCode::UnsupportedFormat;
    }
    m_streamIndex = 0;
  }
  if (const ErrorCode codec = openCodec(); codec != ErrorCode::Ok) {
    return codec;
  }
  if (std::string_view(input->name) == "ogg" && m_hooks.oggComments) {
    m_lastComments = commentsOf(m_format->streams[m_streamIndex]->metadata);
    m_hooks.oggComments(m_lastComments, true);
    m_format->streams[m_streamIndex]->event_flags &= ~AVSTREAM_EVENT_FLAG_METADATA_UPDATED;
  }
  return decodeFirstAudio();
}

bool Decoder::allocateInput() {
  auto* ioBuffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
  m_io.reset(avio_alloc_context(ioBuffer, kIoBufferSize, 0, this, &Decoder::readPacket, nullptr, nullptr));
  if (!m_io) {
    av_free(ioBuffer);
  }
  m_format.reset(avformat_alloc_context());
  if (!m_packet) {
    m_packet.reset(av_packet_alloc());
  }
  if (!m_frame) {
    m_frame.reset(av_frame_alloc());
  }
  if (!ioBuffer || !m_io || !m_format || !m_packet || !m_frame) {
    return false;
  }
  m_io->seekable = 0;
  m_format->pb = m_io.get();
  m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
  m_format->probesize = kProbeBytes;
  m_format->max_analyze_duration = 0;
  m_format->interrupt_callback = {[](void* self) {
                                    auto* decoder = static_cast<Decoder*>(self);
                                    return decoder->m_abort || decoder->m_openTimedOut ? 1 : 0;
                                  },
                                  this};
  return true;
}

ErrorCode Decoder::findDemuxer(const std::string& contentType, const AVInputFormat*& input) {
  if (const char* name = demuxerFor(contentType)) {
    input = av_find_input_format(name);
  } else {
    const int probed = av_probe_input_buffer2(m_io.get(), &input, nullptr, nullptr, 0, kProbeBytes);
    if (probed < 0 || !input) {
      return m_abort ? ErrorCode::ClosedEarly : ErrorCode::UnsupportedFormat;
    }
  }
  const bool knownAudio = input && (std::string_view(input->name).find("mp3") != std::string_view::npos ||
                                    std::string_view(input->name) == "aac" || std::string_view(input->name) == "ogg" ||
                                    std::string_view(input->name) == "flac" ||
                                    std::string_view(input->name).find("mpegts") != std::string_view::npos ||
                                    std::string_view(input->name).starts_with("mov,"));
  return knownAudio ? ErrorCode::Ok : ErrorCode::UnsupportedFormat;
}

ErrorCode Decoder::decodeFirstAudio() {
  // The format is known once audio has been decoded.
  while (m_pending.empty()) {
    switch (decode(m_pending)) {
      case Result::Audio:
        break;
      case Result::End:
        return m_bytesRead - m_inputStart > kOpenBudgetBytes ? ErrorCode::UnsupportedFormat : ErrorCode::ClosedEarly;
      case Result::Failed:
        return ErrorCode::DecodeFailed;
    }
  }
  m_opening = false;
  return ErrorCode::Ok;
}

ErrorCode Decoder::openCodec() {
  const AVCodecParameters* parameters = m_format->streams[m_streamIndex]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
  if (!codec) {
    return ErrorCode::NoCodec;
  }
  m_codec.reset(avcodec_alloc_context3(codec));
  if (!m_codec || avcodec_parameters_to_context(m_codec.get(), parameters) < 0 ||
      avcodec_open2(m_codec.get(), codec, nullptr) < 0) {
    return ErrorCode::NoCodec;
  }
  m_bitrateKbps = static_cast<int>(parameters->bit_rate / 1000);
  m_codecName = codec->name;
  return ErrorCode::Ok;
}

void Decoder::readOggComments(AVPacket* packet) {
  if (!m_hooks.oggComments) {
    return;
  }
  std::size_t size = 0;
  const std::uint8_t* packed = av_packet_get_side_data(packet, AV_PKT_DATA_METADATA_UPDATE, &size);
  AVStream* stream = m_format->streams[m_streamIndex];
  if (packed) {
    AVDictionary* dictionary = nullptr;
    if (av_packet_unpack_dictionary(packed, size, &dictionary) >= 0) {
      deliverComments(commentsOf(dictionary));
    }
    av_dict_free(&dictionary);
    stream->event_flags &= ~AVSTREAM_EVENT_FLAG_METADATA_UPDATED;
  } else if (stream->event_flags & AVSTREAM_EVENT_FLAG_METADATA_UPDATED) {
    stream->event_flags &= ~AVSTREAM_EVENT_FLAG_METADATA_UPDATED;
    deliverComments(commentsOf(stream->metadata));
  }
}

void Decoder::deliverComments(std::vector<std::string> comments) {
  // The demuxer also reports the first stream's comments again with its first packet.
  if (comments != m_lastComments) {
    m_lastComments = comments;
    m_hooks.oggComments(std::move(comments), false);
  }
}

Decoder::Result Decoder::decode(std::vector<float>& out) {
  if (!m_pending.empty() && &out != &m_pending) {
    out.insert(out.end(), m_pending.begin(), m_pending.end());
    m_pending.clear();
    return Result::Audio;
  }
  while (true) {
    const int received = avcodec_receive_frame(m_codec.get(), m_frame.get());
    if (received == 0) {
      // Frame-based codecs learn their bit rate from the frames, after the parameters were read.
      if (m_codec->bit_rate > 0) {
        m_bitrateKbps = static_cast<int>(m_codec->bit_rate / 1000);
      }
      const bool converted = convert(m_frame.get(), out);
      av_frame_unref(m_frame.get());
      if (!converted) {
        return Result::Failed;
      }
      if (!out.empty()) {
        return Result::Audio;
      }
      continue;
    }
    if (received == AVERROR_EOF || m_draining) {
      if (m_atBoundary) {
        // What the codec held is out: the next section may be another format, found afresh.
        if (!reopenAfterBoundary()) {
          return Result::Failed;
        }
        if (&out != &m_pending) {
          out.insert(out.end(), m_pending.begin(), m_pending.end());
          m_pending.clear();
        }
        return Result::Audio;
      }
      return Result::End;
    }
    const int read = av_read_frame(m_format.get(), m_packet.get());
    if (read < 0) {
      // The end of the data, or an error we cannot read past: what the codec holds is still heard.
      m_draining = true;
      avcodec_send_packet(m_codec.get(), nullptr);
      continue;
    }
    if (m_packet->stream_index != m_streamIndex) {
      av_packet_unref(m_packet.get());
      continue;
    }
    if (m_format->iformat && std::string_view(m_format->iformat->name) == "ogg") {
      readOggComments(m_packet.get());
    }
    if (m_hooks.packet && m_packet->pos >= 0) {
      m_hooks.packet(static_cast<std::int64_t>(m_inputStart) + m_packet->pos, m_framesOut);
    }
    std::size_t extradataSize = 0;
    if (av_packet_get_side_data(m_packet.get(), AV_PKT_DATA_NEW_EXTRADATA, &extradataSize) && extradataSize > 0) {
      // A chained Ogg stream with new codec headers: the codec starts afresh.
      if (openCodec() != ErrorCode::Ok) {
        av_packet_unref(m_packet.get());
        return Result::Failed;
      }
    }
    const int sent = avcodec_send_packet(m_codec.get(), m_packet.get());
    av_packet_unref(m_packet.get());
    if (sent < 0 && sent != AVERROR(EAGAIN)) {
      // Streams joined mid-frame start with damaged data; only a run of failures is fatal.
      if (++m_consecutiveErrors > kMaxConsecutiveErrors) {
        return Result::Failed;
      }
    } else {
      m_consecutiveErrors = 0;
    }
  }
}

bool Decoder::reopenAfterBoundary() {
  closeInput();
  m_atBoundary = false;
  m_draining = false;
  m_consecutiveErrors = 0;
  m_opening = true;
  m_openDeadline = std::chrono::steady_clock::now() + m_openTimeout;
  // The new input decodes its first audio into m_pending, which the next decode() hands out.
  std::vector<float> first;
  m_pending.swap(first);
  const bool reopened = openInput(std::string()) == ErrorCode::Ok && !m_openTimedOut;
  m_pending.insert(m_pending.begin(), first.begin(), first.end());
  m_opening = false;
  return reopened;
}

bool Decoder::convert(AVFrame* frame, std::vector<float>& out) {
  const int channels = frame->ch_layout.nb_channels;
  if (channels <= 0 || frame->sample_rate <= 0) {
    return true;  // nothing we can place; skip it
  }
  m_sourceRate = frame->sample_rate;
  m_sourceChannels = channels;
  const auto frames = static_cast<std::size_t>(frame->nb_samples);
  // Float mono or stereo at the output rate (most MP3, AAC and Vorbis stations) needs no resampler:
  // interleaving is all there is to do.
  if (frame->sample_rate == m_outputRate && channels <= 2 &&
      (frame->format == AV_SAMPLE_FMT_FLTP || frame->format == AV_SAMPLE_FMT_FLT) && !m_swr) {
    const std::size_t start = out.size();
    out.resize(start + frames * 2);
    float* target = out.data() + start;
    if (frame->format == AV_SAMPLE_FMT_FLTP) {
      const auto* left = reinterpret_cast<const float*>(frame->extended_data[0]);
      const auto* right = reinterpret_cast<const float*>(frame->extended_data[channels - 1]);
      for (std::size_t i = 0; i < frames; ++i) {
        target[i * 2] = left[i];
        target[i * 2 + 1] = right[i];
      }
    } else {
      const auto* source = reinterpret_cast<const float*>(frame->extended_data[0]);
      for (std::size_t i = 0; i < frames; ++i) {
        target[i * 2] = source[i * static_cast<std::size_t>(channels)];
        target[i * 2 + 1] = source[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channels - 1)];
      }
    }
    m_framesOut += frames;
    return true;
  }
  if (!m_swr || frame->sample_rate != m_swrRate || frame->format != m_swrFormat || channels != m_swrChannels) {
    m_swr.reset();
    // Mono stays mono here and is copied to both channels below, at full level.
    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, channels == 1 ? 1 : 2);
    SwrContext* swr = nullptr;
    const int set = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_FLT, m_outputRate, &frame->ch_layout,
                                        static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
    m_swr.reset(swr);
    if (set < 0 || swr_init(m_swr.get()) < 0) {
      m_swr.reset();
      return false;
    }
    m_swrRate = frame->sample_rate;
    m_swrFormat = frame->format;
    m_swrChannels = channels;
  }
  const int outChannels = channels == 1 ? 1 : 2;
  const int capacity = swr_get_out_samples(m_swr.get(), frame->nb_samples);
  if (capacity <= 0) {
    return true;
  }
  m_scratch.resize(static_cast<std::size_t>(capacity) * outChannels);
  auto* target = reinterpret_cast<std::uint8_t*>(m_scratch.data());
  const int made = swr_convert(m_swr.get(), &target, capacity, const_cast<const std::uint8_t**>(frame->extended_data),
                               frame->nb_samples);
  if (made < 0) {
    return false;
  }
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(made) * 2);
  for (int i = 0; i < made; ++i) {
    const float left = m_scratch[static_cast<std::size_t>(i * outChannels)];
    out[start + static_cast<std::size_t>(i) * 2] = left;
    out[start + static_cast<std::size_t>(i) * 2 + 1] =
        outChannels == 1 ? left : m_scratch[static_cast<std::size_t>(i * 2 + 1)];
  }
  m_framesOut += static_cast<std::uint64_t>(made);
  return true;
}

}  // namespace qv::engine
