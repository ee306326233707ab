#pragma once

#include "settings_key.h"

#include <functional>
#include <initializer_list>
#include <utility>

namespace qv::settings {

//! One step of a read group: reads one or more values and applies them. False when a read failed.
using ReadStep = std::function<bool()>;

//! Reads a group of settings as one guarded unit. The steps run in order; the first step that
//! fails (or throws) skips the rest, and `fallback` is applied to every value of the group, also to
//! those already applied. A failure is never reported. Returns true when every step succeeded.
bool readGroup(const char* groupName, std::initializer_list<ReadStep> steps, const std::function<void()>& fallback);

//! The usual step: read `setting`, and when that worked apply the value.
template <typename T, typename Apply>
ReadStep readAndApply(const SettingsKey& key, Setting<T> setting, Apply apply) {
  return [&key, setting, apply = std::move(apply)] {
    auto value = key.read(setting);
    if (!value) {
      return false;
    }
    apply(*value);
    return true;
  };
}

}  // namespace qv::settings
