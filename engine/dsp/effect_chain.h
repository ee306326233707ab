#pragma once

#include "effect_parameters.h"
#include "snapshot_publisher.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <variant>
#include <vector>

namespace qv::dsp {

//! Names one effect of a chain; never reused within the chain. 0 names none.
using EffectHandle = std::uint32_t;
inline constexpr EffectHandle kNoEffect = 0;

class PreparedEffect;
class PeakingEqState;
class ReverbState;

//! The effects of one stream, applied to its float samples before the mix.
//!
//! Control side (any thread, any number): setFormat, add, remove, setParameters, getParameters.
//! Each change prepares the new coefficients on the calling thread and publishes them as a whole;
//! the audio side never waits for it, never allocates and never frees. Filter memories survive
//! parameter changes, so a new setting continues the sound instead of restarting it.
//!
//! Audio side (one thread at a time): process. Until a format is set, or when the block's channel
//! count differs from it, the samples pass unchanged.
//!
//! Effects run in order of falling priority; effects of equal priority in the order they were
//! added. The destructor frees everything; no process call may be running then.
class EffectChain {
 public:
  EffectChain();
  ~EffectChain();
  EffectChain(const EffectChain&) = delete;
  EffectChain& operator=(const EffectChain&) = delete;

  //! Sample rate and channel count of the blocks process will get. Setting a new format restarts
  //! every effect's memory; the parameters are kept.
  EffectError setFormat(double sampleRate, int channels);

  //! New effects start neutral: the records' default values.
  EffectHandle addParametricEq(int priority);
  EffectHandle addReverb(int priority);
  EffectError remove(EffectHandle effect);

  EffectError setParameters(EffectHandle effect, const ParametricEqParameters& parameters);
  EffectError setParameters(EffectHandle effect, const ReverbParameters& parameters);
  //! `parameters` is written only on success.
  EffectError getParameters(EffectHandle effect, ParametricEqParameters& parameters) const;
  EffectError getParameters(EffectHandle effect, ReverbParameters& parameters) const;

  //! The effects in the order the audio side now applies them (empty before a format is set).
  std::vector<EffectHandle> processingOrder() const;

  //! Audio side: applies the effects in place to `frames` interleaved frames of `channels`
  //! channels.
  void process(float* interleaved, std::size_t frames, int channels) noexcept;

 private:
  using Parameters = std::variant<ParametricEqParameters, ReverbParameters>;

  struct Entry {
    EffectHandle handle = kNoEffect;
    int priority = 0;
    Parameters parameters;
    std::shared_ptr<PeakingEqState> eqState;   // set while a format is known, for equalizers
    std::shared_ptr<ReverbState> reverbState;  // set while a format is known, for reverbs
    std::shared_ptr<PreparedEffect> prepared;  // what the audio side runs; null without a format
  };

  struct Snapshot {
    int channels = 0;
    std::vector<std::shared_ptr<PreparedEffect>> stages;
  };

  EffectHandle add(int priority, const Parameters& parameters);
  template <typename Record>
  EffectError setRecord(EffectHandle effect, const Record& parameters);
  template <typename Record>
  EffectError getRecord(EffectHandle effect, Record& parameters) const;

  // Changes are made on a copy of the entries, published, and only then committed, so that a
  // failed allocation leaves both the entries and the audio side as they were.
  static std::shared_ptr<PreparedEffect> prepare(Entry& entry, double sampleRate, int channels, bool newState);
  void publish(const std::vector<Entry>& entries, int channels);

  mutable std::mutex m_controlMutex;      // control side; never taken by process; a leaf lock
  std::vector<Entry> m_entries;           // m_controlMutex; in processing order
  EffectHandle m_lastHandle = kNoEffect;  // m_controlMutex
  double m_sampleRate = 0.0;              // m_controlMutex
  int m_channels = 0;                     // m_controlMutex; 0: no format yet
  // Written by the control side under m_controlMutex, read lock-free by process.
  SnapshotPublisher<Snapshot> m_published;
};

}  // namespace qv::dsp
