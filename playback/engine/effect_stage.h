#pragma once

#include "effect_chain.h"
#include "processing_stage.h"

namespace qv::engine {

//! A stream's equalizer and reverb effects as one stage of its processing: the chain orders its
//! effects by priority itself and takes parameter changes from any thread without blocking the
//! decoder thread that runs it.
class EffectStage final : public ProcessingStage {
 public:
  void prepare(int rateHz, int channels) override {
    m_channels = channels;
    m_chain.setFormat(rateHz, channels);
  }
  void process(float* frames, int frameCount) override {
    m_chain.process(frames, static_cast<std::size_t>(frameCount), m_channels);
  }
  void reset() override {}

  qv::dsp::EffectChain& chain() { return m_chain; }

 private:
  int m_channels = 0;  // set by prepare, before the stage is added to a stream
  qv::dsp::EffectChain m_chain;
};

}  // namespace qv::engine
