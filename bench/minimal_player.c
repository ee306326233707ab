/* The smallest stream player the benchmark compares ours with: libcurl downloads, libavformat
 * demuxes from memory, libavcodec decodes, SDL2 plays. No metadata, no resampling (SDL converts),
 * no error recovery. Its peak memory is the floor that these four libraries set.
 *
 *   minimal_player URL [--seconds N]
 *
 * Built by bench/player-vs-peers.sh with pkg-config; not part of the program. */

#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/mem.h>

#include <SDL.h>
#include <curl/curl.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { RING_BYTES = 256 * 1024, AVIO_BYTES = 16 * 1024 };

/* Bytes from the network thread to the demuxer. */
typedef struct {
  SDL_mutex* lock;
  SDL_cond* changed;
  unsigned char data[RING_BYTES];
  size_t start, size;
  int downloadEnded;
  int quitting;
} Ring;

static volatile sig_atomic_t stopRequested = 0;

static void onSignal(int signalNumber) {
  (void)signalNumber;
  stopRequested = 1;
}

static size_t onDownloaded(char* bytes, size_t itemSize, size_t count, void* user) {
  Ring* ring = user;
  size_t total = itemSize * count, done = 0;
  SDL_LockMutex(ring->lock);
  while (done < total && !ring->quitting) {
    while (ring->size == RING_BYTES && !ring->quitting) {
      SDL_CondWait(ring->changed, ring->lock);
    }
    while (done < total && ring->size < RING_BYTES) {
      ring->data[(ring->start + ring->size) % RING_BYTES] = (unsigned char)bytes[done++];
      ring->size++;
    }
    SDL_CondBroadcast(ring->changed);
  }
  SDL_UnlockMutex(ring->lock);
  return ring->quitting ? 0 : total; /* 0 makes curl stop */
}

typedef struct {
  Ring* ring;
  const char* url;
} Download;

/* Lets curl give up a quiet connection once we are quitting. */
static int onProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t upTotal, curl_off_t upNow) {
  (void)total, (void)now, (void)upTotal, (void)upNow;
  return ((Ring*)user)->quitting;
}

static int download(void* user) {
  Download* job = user;
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, job->url);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_HTTP09_ALLOWED, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onDownloaded);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, job->ring);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, job->ring);
  CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK && result != CURLE_WRITE_ERROR && result != CURLE_ABORTED_BY_CALLBACK) {
    fprintf(stderr, "minimal_player: %s\n", curl_easy_strerror(result));
  }
  curl_easy_cleanup(curl);
  SDL_LockMutex(job->ring->lock);
  job->ring->downloadEnded = 1;
  SDL_CondBroadcast(job->ring->changed);
  SDL_UnlockMutex(job->ring->lock);
  return 0;
}

static int readForDemuxer(void* user, uint8_t* buffer, int capacity) {
  Ring* ring = user;
  SDL_LockMutex(ring->lock);
  while (ring->size == 0 && !ring->downloadEnded && !stopRequested) {
    SDL_CondWaitTimeout(ring->changed, ring->lock, 100);
  }
  int count = 0;
  while (count < capacity && ring->size > 0) {
    buffer[count++] = ring->data[ring->start];
    ring->start = (ring->start + 1) % RING_BYTES;
    ring->size--;
  }
  SDL_CondBroadcast(ring->changed);
  SDL_UnlockMutex(ring->lock);
  return count > 0 ? count : AVERROR_EOF;
}

/* Any of the decoders' usual sample formats to interleaved float. */
static int toInterleavedFloat(const AVFrame* frame, float* out) {
  int channels = frame->ch_layout.nb_channels;
  for (int i = 0; i < frame->nb_samples; ++i) {
    for (int c = 0; c < channels; ++c) {
      float value;
      switch (frame->format) {
        case AV_SAMPLE_FMT_FLTP: value = ((const float*)frame->extended_data[c])[i]; break;
        case AV_SAMPLE_FMT_FLT: value = ((const float*)frame->extended_data[0])[i * channels + c]; break;
        case AV_SAMPLE_FMT_S16P: value = ((const int16_t*)frame->extended_data[c])[i] / 32768.0f; break;
        case AV_SAMPLE_FMT_S16: value = ((const int16_t*)frame->extended_data[0])[i * channels + c] / 32768.0f; break;
        default: return -1;
      }
      out[i * channels + c] = value;
    }
  }
  return frame->nb_samples * channels;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s URL [--seconds N]\n", argv[0]);
    return 2;
  }
  const char* url = argv[1];
  double seconds = argc >= 4 && strcmp(argv[2], "--seconds") == 0 ? atof(argv[3]) : 0;
  signal(SIGTERM, onSignal);
  signal(SIGINT, onSignal);
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_AUDIO) != 0) {
    fprintf(stderr, "minimal_player: %s\n", SDL_GetError());
    return 1;
  }
  curl_global_init(CURL_GLOBAL_DEFAULT);

  static Ring ring;
  ring.lock = SDL_CreateMutex();
  ring.changed = SDL_CreateCond();
  Download job = {&ring, url};
  SDL_Thread* downloader = SDL_CreateThread(download, "download", &job);

  /* Cut-down probing: the container is named from the address, not guessed from seconds of data. */
  AVFormatContext* format = avformat_alloc_context();
  unsigned char* avioBuffer = av_malloc(AVIO_BYTES);
  AVIOContext* io = avio_alloc_context(avioBuffer, AVIO_BYTES, 0, &ring, readForDemuxer, NULL, NULL);
  format->pb = io;
  format->probesize = 32768;
  format->max_analyze_duration = 200000;
  size_t urlLength = strlen(url);
  const AVInputFormat* forced = urlLength > 4 && strcmp(url + urlLength - 4, ".mp3") == 0 ? av_find_input_format("mp3")
                                : urlLength > 4 && strcmp(url + urlLength - 4, ".ogg") == 0 ? av_find_input_format("ogg")
                                                                                             : NULL;
  int status = 1;
  AVCodecContext* decoder = NULL;
  SDL_AudioDeviceID device = 0;
  if (avformat_open_input(&format, NULL, forced, NULL) < 0) {
    fprintf(stderr, "minimal_player: cannot open the stream\n");
    goto done;
  }
  if (avformat_find_stream_info(format, NULL) < 0) { /* within the probe limits set above */
    fprintf(stderr, "minimal_player: cannot read the stream's format\n");
    goto done;
  }
  int streamIndex = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, NULL, 0);
  if (streamIndex < 0) {
    fprintf(stderr, "minimal_player: no audio stream\n");
    goto done;
  }
  const AVCodecParameters* parameters = format->streams[streamIndex]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
  decoder = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(decoder, parameters);
  if (codec == NULL || avcodec_open2(decoder, codec, NULL) < 0) {
    fprintf(stderr, "minimal_player: no decoder\n");
    goto done;
  }

  SDL_AudioSpec wanted = {0}, got;
  wanted.freq = decoder->sample_rate;
  wanted.format = AUDIO_F32SYS;
  wanted.channels = (Uint8)decoder->ch_layout.nb_channels;
  wanted.samples = 1024;
  device = SDL_OpenAudioDevice(NULL, 0, &wanted, &got, 0);
  if (device == 0) {
    fprintf(stderr, "minimal_player: %s\n", SDL_GetError());
    goto done;
  }
  SDL_PauseAudioDevice(device, 0);

  Uint32 queueLimit = (Uint32)(wanted.freq * wanted.channels * sizeof(float) / 2); /* 0.5 s */
  Uint64 started = SDL_GetTicks64();
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  float* samples = NULL;
  int samplesCapacity = 0;
  while (!stopRequested && (seconds <= 0 || SDL_GetTicks64() - started < seconds * 1000)) {
    if (av_read_frame(format, packet) < 0) {
      break;
    }
    if (packet->stream_index == streamIndex && avcodec_send_packet(decoder, packet) == 0) {
      while (avcodec_receive_frame(decoder, frame) == 0) {
        int needed = frame->nb_samples * frame->ch_layout.nb_channels;
        if (needed > samplesCapacity) {
          samples = realloc(samples, (size_t)needed * sizeof(float));
          samplesCapacity = needed;
        }
        int count = toInterleavedFloat(frame, samples);
        if (count > 0) {
          SDL_QueueAudio(device, samples, (Uint32)count * sizeof(float));
        }
      }
    }
    av_packet_unref(packet);
    while (!stopRequested && SDL_GetQueuedAudioSize(device) > queueLimit) {
      SDL_Delay(10);
    }
  }
  status = 0;
  free(samples);
  av_frame_free(&frame);
  av_packet_free(&packet);

done:
  SDL_LockMutex(ring.lock);
  ring.quitting = 1;
  stopRequested = 1;
  SDL_CondBroadcast(ring.changed);
  SDL_UnlockMutex(ring.lock);
  SDL_WaitThread(downloader, NULL);
  if (device != 0) {
    SDL_CloseAudioDevice(device);
  }
  avcodec_free_context(&decoder);
  avformat_close_input(&format); /* leaves our own I/O context alone */
  av_freep(&io->buffer);
  avio_context_free(&io);
  curl_global_cleanup();
  SDL_Quit();
  return status;
}
