#pragma once

#include "engine_types.h"

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace qv::engine {

//! A stream's tags. A reader gets the text itself (shared, immutable), never a pointer into the
//! store, so a tag that changes while another thread still reads the old text frees nothing under it.
class TagStore {
 public:
  void set(Tag tag, std::string text) {
    auto value = std::make_shared<const std::string>(std::move(text));
    TagText previous;  // dropped after the lock: the last reader frees the old text
    std::lock_guard lock(m_mutex);
    previous = std::exchange(m_slots[static_cast<std::size_t>(tag)], std::move(value));
  }
  void setList(Tag tag, const std::vector<std::string>& lines) {
    std::string list;
    for (const std::string& line : lines) {
      list.append(line);
      list.push_back('\0');
    }
    // c_str()'s own NUL ends the list with the empty line.
    set(tag, std::move(list));
  }
  //! Null when the stream has no such tag.
  TagText get(Tag tag) const {
    std::lock_guard lock(m_mutex);
    return m_slots[static_cast<std::size_t>(tag)];
  }

 private:
  mutable std::mutex m_mutex;
  std::array<TagText, 5> m_slots;  // m_mutex
};

}  // namespace qv::engine
