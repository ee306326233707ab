#include "effect_chain.h"

#include "denormal_guard.h"
#include "peaking_eq.h"
#include "reverb.h"

#include <algorithm>
#include <limits>

namespace qv::dsp {

//! One effect as the audio side runs it: fixed coefficients over memory shared with the
//! effect's earlier and later settings.
class PreparedEffect {
 public:
  explicit PreparedEffect(EffectHandle handle) : m_handle(handle) {}
  virtual ~PreparedEffect() = default;
  PreparedEffect(const PreparedEffect&) = delete;
  PreparedEffect& operator=(const PreparedEffect&) = delete;

  virtual void process(float* interleaved, std::size_t frames) noexcept = 0;
  EffectHandle handle() const { return m_handle; }

 private:
  EffectHandle m_handle;
};

namespace {

// The entry of `effect` in a copy of the chain's list, or its end.
template <typename Entries>
auto findEffect(Entries& entries, EffectHandle effect) {
  return std::find_if(entries.begin(), entries.end(), [effect](const auto& entry) { return entry.handle == effect; });
}

class PreparedParametricEq final : public PreparedEffect {
 public:
  PreparedParametricEq(EffectHandle handle, std::shared_ptr<PeakingEqState> state,
                       const BiquadCoefficients& coefficients)
      : PreparedEffect(handle), m_state(std::move(state)), m_coefficients(coefficients) {}
  void process(float* interleaved, std::size_t frames) noexcept override {
    m_state->process(interleaved, frames, m_coefficients);
  }

 private:
  std::shared_ptr<PeakingEqState> m_state;
  BiquadCoefficients m_coefficients;
};

class PreparedReverb final : public PreparedEffect {
 public:
  PreparedReverb(EffectHandle handle, std::shared_ptr<ReverbState> state, ReverbCoefficients coefficients)
      : PreparedEffect(handle), m_state(std::move(state)), m_coefficients(std::move(coefficients)) {}
  void process(float* interleaved, std::size_t frames) noexcept override {
    m_state->process(interleaved, frames, m_coefficients);
  }

 private:
  std::shared_ptr<ReverbState> m_state;
  ReverbCoefficients m_coefficients;
};

}  // namespace

EffectChain::EffectChain() = default;
EffectChain::~EffectChain() = default;

EffectError EffectChain::setFormat(double sampleRate, int channels) {
  if (const EffectError error = validateFormat(sampleRate, channels); error != EffectError::none) {
    return error;
  }
  std::lock_guard lock(m_controlMutex);
  std::vector<Entry> updated = m_entries;
  for (Entry& entry : updated) {
    entry.prepared = prepare(entry, sampleRate, channels, true);
  }
  publish(updated, channels);
  m_entries = std::move(updated);
  m_sampleRate = sampleRate;
  m_channels = channels;
  return EffectError::none;
}

EffectHandle EffectChain::addParametricEq(int priority) {
  return add(priority, ParametricEqParameters{});
}

EffectHandle EffectChain::addReverb(int priority) {
  return add(priority, ReverbParameters{});
}

EffectHandle EffectChain::add(int priority, const Parameters& parameters) {
  std::lock_guard lock(m_controlMutex);
  if (m_lastHandle == std::numeric_limits<EffectHandle>::max()) {
    return kNoEffect;  // handles are never reused
  }
  Entry entry;
  entry.handle = m_lastHandle + 1;
  entry.priority = priority;
  entry.parameters = parameters;
  if (m_channels != 0) {
    entry.prepared = prepare(entry, m_sampleRate, m_channels, true);
  }

  std::vector<Entry> updated = m_entries;
  // After every effect of the same or a higher priority: equal priorities keep the order of adding.
  const auto position = std::find_if(updated.begin(), updated.end(),
                                     [priority](const Entry& other) { return other.priority < priority; });
  updated.insert(position, std::move(entry));
  if (m_channels != 0) {
    publish(updated, m_channels);
  }
  m_entries = std::move(updated);
  return ++m_lastHandle;
}

EffectError EffectChain::remove(EffectHandle effect) {
  std::lock_guard lock(m_controlMutex);
  std::vector<Entry> updated = m_entries;
  const auto found = findEffect(updated, effect);
  if (found == updated.end()) {
    return EffectError::unknownEffect;
  }
  updated.erase(found);
  if (m_channels != 0) {
    publish(updated, m_channels);
  }
  m_entries = std::move(updated);
  return EffectError::none;
}

EffectError EffectChain::setParameters(EffectHandle effect, const ParametricEqParameters& parameters) {
  return setRecord(effect, parameters);
}

EffectError EffectChain::setParameters(EffectHandle effect, const ReverbParameters& parameters) {
  return setRecord(effect, parameters);
}

EffectError EffectChain::getParameters(EffectHandle effect, ParametricEqParameters& parameters) const {
  return getRecord(effect, parameters);
}

EffectError EffectChain::getParameters(EffectHandle effect, ReverbParameters& parameters) const {
  return getRecord(effect, parameters);
}

template <typename Record>
EffectError EffectChain::setRecord(EffectHandle effect, const Record& parameters) {
  std::lock_guard lock(m_controlMutex);
  std::vector<Entry> updated = m_entries;
  const auto found = findEffect(updated, effect);
  if (found == updated.end()) {
    return EffectError::unknownEffect;
  }
  if (!std::holds_alternative<Record>(found->parameters)) {
    return EffectError::wrongEffectType;
  }
  // Checked before anything reaches a filter: no NaN, infinity or out-of-range value is ever used.
  if (const EffectError error = validate(parameters); error != EffectError::none) {
    return error;
  }
  found->parameters = parameters;
  if (m_channels != 0) {
    found->prepared = prepare(*found, m_sampleRate, m_channels, false);
    publish(updated, m_channels);
  }
  m_entries = std::move(updated);
  return EffectError::none;
}

template <typename Record>
EffectError EffectChain::getRecord(EffectHandle effect, Record& parameters) const {
  std::lock_guard lock(m_controlMutex);
  const auto found =
      std::find_if(m_entries.begin(), m_entries.end(), [effect](const Entry& entry) { return entry.handle == effect; });
  if (found == m_entries.end()) {
    return EffectError::unknownEffect;
  }
  const Record* record = std::get_if<Record>(&found->parameters);
  if (record == nullptr) {
    return EffectError::wrongEffectType;
  }
  parameters = *record;
  return EffectError::none;
}

std::vector<EffectHandle> EffectChain::processingOrder() const {
  std::lock_guard lock(m_controlMutex);
  std::vector<EffectHandle> order;
  if (const Snapshot* snapshot = m_published.current()) {
    for (const std::shared_ptr<PreparedEffect>& stage : snapshot->stages) {
      order.push_back(stage->handle());
    }
  }
  return order;
}

void EffectChain::process(float* interleaved, std::size_t frames, int channels) noexcept {
  const auto guard = m_published.read();
  const Snapshot* snapshot = guard.get();
  if (snapshot == nullptr || snapshot->channels != channels || interleaved == nullptr || frames == 0) {
    return;
  }
  const ScopedFlushDenormals flushDenormals;
  for (const std::shared_ptr<PreparedEffect>& stage : snapshot->stages) {
    stage->process(interleaved, frames);
  }
}

std::shared_ptr<PreparedEffect> EffectChain::prepare(Entry& entry, double sampleRate, int channels, bool newState) {
  if (const auto* eq = std::get_if<ParametricEqParameters>(&entry.parameters)) {
    if (newState || !entry.eqState) {
      entry.eqState = std::make_shared<PeakingEqState>(channels);
    }
    return std::make_shared<PreparedParametricEq>(entry.handle, entry.eqState, peakingEqCoefficients(*eq, sampleRate));
  }
  const auto& reverb = std::get<ReverbParameters>(entry.parameters);
  if (newState || !entry.reverbState) {
    entry.reverbState = std::make_shared<ReverbState>(sampleRate, channels);
  }
  return std::make_shared<PreparedReverb>(entry.handle, entry.reverbState,
                                          reverbCoefficients(reverb, sampleRate, channels));
}

void EffectChain::publish(const std::vector<Entry>& entries, int channels) {
  auto snapshot = std::make_unique<Snapshot>();
  snapshot->channels = channels;
  snapshot->stages.reserve(entries.size());
  for (const Entry& entry : entries) {
    snapshot->stages.push_back(entry.prepared);
  }
  m_published.publish(std::move(snapshot));
}

}  // namespace qv::dsp
