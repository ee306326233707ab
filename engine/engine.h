#pragma once

// qv_engine: the player's streaming, decoding and output library. A C-style interface: every call
// may come from any thread, handles are 32-bit values (0 = none or failure) whose generation bits
// make a freed or unknown handle fail cleanly with ErrorCode::BadHandle. A failing call records its
// error code for the calling thread only (errorGetCode).

#include "effect_parameters.h"
#include "engine_types.h"
#include "loudness_leveller.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qv::engine {

//! High word major.minor, low word patch.build.
inline constexpr std::uint32_t kVersion = 0x01000000;
inline constexpr std::uint32_t kVersionMajorMinor = kVersion >> 16;
inline constexpr const char* kLibraryName = "qv_engine";

// ---- set-up ----------------------------------------------------------------------------------------

//! Opens the output: device -1 is the system's default, 0 means no output (streams decode but
//! nothing is heard), n > 0 the n-th output device. `rateHz` 8000..384000, or kAutomaticRate for
//! the device's own rate (outputGetRate tells which). Fails with AlreadyInitialised, BadDevice,
//! BadParameter or OutputFailed.
enum InitFlag : std::uint32_t {
  //! The device is not tried at set-up but opened when the first stream plays (channelPlay fails
  //! with OutputFailed then): set-up returns at once, for a tool that must sound soon after launch.
  OutputOnFirstPlay = 1u << 0,
};
//! The output runs at the device's own rate, so the audio system does not resample what we
//! resampled: the rate SDL reports for the device, else the rate the device settles on when it is
//! opened, else 48000 Hz (the rate of most devices and of much of what stations send).
inline constexpr int kAutomaticRate = 0;
bool init(int device, int rateHz, std::uint32_t flags = 0);
//! The output devices the system reports, by name and in its order (device n of init is the
//! n-th): read when the output is set up (or now, before it is). Empty when it names none.
std::vector<std::string> outputDevices();
//! init on the device of that name as outputDevices gives it; empty: the system's default. A name
//! the system does not report (a headset not plugged in) opens the default instead and tells the
//! output watch OutputChange::NamedDeviceMissing, once, before init returns.
bool initWithDevice(const std::string& deviceName, int rateHz, std::uint32_t flags = 0);
//! Moves the output to the device of that name (empty: the default) without stopping what
//! plays. A name the system does not report: the default, told as at init. Fails with
//! NotInitialised.
bool outputSetDevice(const std::string& deviceName);
//! The device in use, by name; empty for the system's default (also with NotInitialised).
std::string outputGetDevice();
//! Told with the name of the device concerned. NamedDeviceMissing on the thread that asked for
//! it, DeviceRemoved on one of the playing streams' own threads (never the audio callback),
//! within a quarter of a second or so while anything plays. It must return at once.
using OutputWatch = std::function<void(OutputChange change, const std::string& deviceName)>;
//! Any time, also before init; an empty watch hears nothing.
void setOutputWatch(OutputWatch watch);
//! The rate the output mixes at (the one chosen for kAutomaticRate); 0 with NotInitialised.
int outputGetRate();
//! Frees every stream, joins every engine thread and closes the output.
bool release();
std::uint32_t version();
ErrorCode errorGetCode();

enum class Config : std::uint8_t {
  BufferMs,           //!< playback buffer of streams opened afterwards, 0..60000 ms (default 500)
  PlaylistFollowing,  //!< 1: a link answering with a playlist is followed (default 0)
  NetTimeoutMs,       //!< no answer or no data for this long ends a stream (default 10000)
};
bool setConfig(Config option, std::uint32_t value);
//! The value, or UINT32_MAX with BadParameter.
std::uint32_t getConfig(Config option);
//! "(user:pass@)server:port" for streams opened afterwards; nullptr or "" means direct.
bool setProxy(const char* proxy);

// ---- streams ----------------------------------------------------------------------------------------

//! Receives the server's header block once per open (status line first, lines NUL-separated, ended
//! by an empty line), on the opening thread, before streamCreateUrl returns.
using DownloadProc = void (*)(const char* headers, std::uint32_t length, void* user);

enum StreamFlag : std::uint32_t {
  //! The stream frees itself when it ends or is stopped; its handle then fails cleanly.
  AutoFree = 1u << 0,
};

//! Connects and blocks until the format is known (the first audio is decoded) or fails: returns
//! the stream's handle or 0 with the reason as error code.
Handle streamCreateUrl(const char* url, std::uint32_t flags, DownloadProc download, void* user);

enum class EffectType : std::uint8_t { ParametricEq, Reverb };

//! An effect a stream has from its first sample (streamCreateUrlWith): the record of its type is used.
struct StartEffect {
  EffectType type = EffectType::ParametricEq;
  int priority = 0;
  qv::dsp::ParametricEqParameters eq;
  qv::dsp::ReverbParameters reverb;
};

//! Told a stream's level, as channelGetLevel would give it then, whenever it changes: on the audio
//! thread after each pass that mixed the stream, so a window can show a level meter without
//! polling; UINT32_MAX once the stream is no longer playing (stopped, paused, stalled, ended), also
//! when it is freed after a level was told, then on the freeing thread. It must return at once and
//! never wait for another thread.
using LevelWatch = std::function<void(std::uint32_t level)>;

//! How a stream sounds from its first sample. The effects' handles are written to `effectHandles`
//! (one per effect, in order) when the open succeeds; it may be null.
struct StreamStart {
  float volume = 1.0f;  //!< 0..1, as Attribute::Volume
  const StartEffect* effects = nullptr;
  std::size_t effectCount = 0;
  Handle* effectHandles = nullptr;
  //! Optional; see LevelWatch.
  LevelWatch levelWatch;
  //! Loudness levelling (off unless asked for): after the effects, before the volume, so the
  //! equalizer and reverb are heard as set, the station comes out at the target loudness, and
  //! the volume scales that.
  qv::dsp::LevellingParameters levelling;
};

//! streamCreateUrl with the volume and effects in place before any audio is decoded, so nothing is
//! heard without them. A volume or effect record out of range, or a levelling value that is not a
//! number, fails with BadParameter before connecting.
Handle streamCreateUrlWith(const char* url, std::uint32_t flags, DownloadProc download, void* user,
                           const StreamStart& start);
bool streamFree(Handle stream);

enum class ChannelState : std::uint8_t { Stopped = 0, Playing = 1, Stalled = 2, Paused = 3 };

//! Starts playing (pre-buffering first); a paused stream continues.
bool channelPlay(Handle stream);
bool channelStop(Handle stream);
bool channelPause(Handle stream);
//! Stopped also for an unknown or freed handle.
ChannelState channelIsActive(Handle stream);

//! Fades the stream out over `ms` (1..10000) from the next audio pass, then stops it as
//! channelStop does (an AutoFree stream frees itself): a soft change when another stream takes its
//! place. A stream that is not playing stops at once; a call during a fade leaves that fade as it
//! is.
bool channelFadeOut(Handle stream, std::uint32_t ms);

enum class Attribute : std::uint8_t { Volume };
bool channelSetAttribute(Handle stream, Attribute attribute, float value);
bool channelGetAttribute(Handle stream, Attribute attribute, float* value);

//! Peak of the last 20 ms heard: left in the low word, right in the high word, each 0..32768;
//! UINT32_MAX (-1) when the stream is not playing.
std::uint32_t channelGetLevel(Handle stream);

//! The tag's text as it is now (null without it, with NotAvailable); a list is NUL-separated lines
//! ended by an empty one ("a\0b\0\0", read through c_str()). The text is the caller's to keep: it
//! stays valid after the tag changes and after the stream is freed.
TagText channelGetTags(Handle stream, Tag tag);

struct ChannelInfo {
  int rateHz = 0;          //!< rate of the decoded source
  int channels = 0;        //!< channels of the decoded source
  int bitrateKbps = 0;     //!< nominal bit rate, 0 when unknown
  const char* codec = "";  //!< FFmpeg's codec name
};
bool channelGetInfo(Handle stream, ChannelInfo* info);

//! The stream's levelling gain in dB as learned so far (to be given as its initial gain the next
//! time); false with NotAvailable when the stream is not levelled.
bool channelGetLevellingGain(Handle stream, float* gainDb);

//! Percent of the pre-buffer still to fill while the stream buffers; 0 when it plays or has no
//! buffering to do; -1 with an error code on failure.
int streamBufferingPercent(Handle stream);

enum class SyncType : std::uint8_t {
  Meta,        //!< new ICY metadata; data 0
  OggChange,   //!< a new Ogg logical stream; data 0
  Stall,       //!< data 0 stalled, 1 resumed
  End,         //!< the stream has ended; data 0
  HlsSegment,  //!< a new HLS segment is heard; data 0
};
using SyncProc = void (*)(Handle sync, Handle stream, std::uint32_t data, void* user);
//! Calls `proc` on one of the stream's own threads (never the audio callback) on each event;
//! returns the sync's handle. The callback may block, but freeing the stream (or releasing the
//! engine) waits for a callback in progress: a callback must not wait for the thread that frees
//! its stream. Freeing its own stream from the callback is allowed (the join is deferred).
Handle channelSetSync(Handle stream, SyncType type, SyncProc proc, void* user);
bool channelRemoveSync(Handle stream, Handle sync);

// ---- effects ----------------------------------------------------------------------------------------

//! Adds an effect to the stream's processing, neutral until its parameters are set (an equalizer
//! band of 0 dB, a reverb with its mix off). Effects run in descending priority, equal priorities
//! in the order they were added; they act on audio decoded from then on, so what is already
//! buffered is heard without them. Returns the effect's handle, or 0 with an error code. Effects
//! are freed with their stream; their handles then fail with BadHandle.
Handle channelSetFx(Handle stream, EffectType type, int priority);
bool channelRemoveFx(Handle stream, Handle fx);
//! Any thread, at any time: the new values are prepared on the calling thread and take effect as a
//! whole at the next block of audio, continuing the sound. The record of the other effect type or
//! a value out of its range fails with BadParameter and changes nothing.
bool fxSetParameters(Handle fx, const qv::dsp::ParametricEqParameters& parameters);
bool fxSetParameters(Handle fx, const qv::dsp::ReverbParameters& parameters);
bool fxGetParameters(Handle fx, qv::dsp::ParametricEqParameters* parameters);
bool fxGetParameters(Handle fx, qv::dsp::ReverbParameters* parameters);

}  // namespace qv::engine
