#include "settings/read_group.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace settings = qv::settings;

namespace {

// A group of three values whose steps succeed or fail as told; records what was applied.
struct Group {
  std::vector<int> applied{0, 0, 0};
  std::vector<std::string> trace;

  bool run(std::array<int, 3> outcome) {  // 1 succeeds, 0 fails, -1 throws
    auto step = [this, outcome](int index) {
      return [this, outcome, index] {
        if (outcome[static_cast<std::size_t>(index)] < 0) {
          throw std::runtime_error("unreadable");
        }
        if (outcome[static_cast<std::size_t>(index)] == 0) {
          return false;
        }
        applied[static_cast<std::size_t>(index)] = 7;
        trace.push_back("apply " + std::to_string(index));
        return true;
      };
    };
    return settings::readGroup("G", {step(0), step(1), step(2)}, [this] {
      applied = {-1, -1, -1};
      trace.push_back("fallback");
    });
  }
};

TEST(ReadGroup, AFailedReadAppliesTheFallbackToTheWholeGroup) {
  struct Case {
    std::array<int, 3> outcome;
    bool complete;
    std::vector<int> applied;
    std::vector<std::string> trace;
  };
  const Case cases[] = {
      {{1, 1, 1}, true, {7, 7, 7}, {"apply 0", "apply 1", "apply 2"}},
      {{1, 0, 1}, false, {-1, -1, -1}, {"apply 0", "fallback"}},
      {{0, 1, 1}, false, {-1, -1, -1}, {"fallback"}},
      {{1, 1, -1}, false, {-1, -1, -1}, {"apply 0", "apply 1", "fallback"}},
  };
  for (const Case& c : cases) {
    Group group;
    EXPECT_EQ(group.run(c.outcome), c.complete);
    EXPECT_EQ(group.applied, c.applied);
    EXPECT_EQ(group.trace, c.trace);
  }
}

}  // namespace
