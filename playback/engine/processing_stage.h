#pragma once

namespace qv::engine {

//! One effect in a stream's processing chain: runs on the stream's decoder thread on interleaved
//! float stereo at the output rate, before the audio reaches the mix. Stages run in descending
//! priority; equal priorities in the order they were added.
class ProcessingStage {
 public:
  virtual ~ProcessingStage() = default;
  virtual void prepare(int rateHz, int channels) = 0;
  virtual void process(float* frames, int frameCount) = 0;
  virtual void reset() = 0;
};

}  // namespace qv::engine
