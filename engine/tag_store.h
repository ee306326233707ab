#pragma once

#include "engine_types.h"

#include <array>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qv::engine {

//! A stream's tags. A returned pointer stays valid while the tag changes up to twice more, so a
//! reader on another thread never sees freed text; older texts are dropped.
class TagStore {
 public:
  void set(Tag tag, std::string text) {
    auto value = std::make_shared<const std::string>(std::move(text));
    std::lock_guard lock(m_mutex);
    Slot& slot = m_slots[static_cast<std::size_t>(tag)];
    if (slot.current) {
      slot.previous.push_back(std::move(slot.current));
      if (slot.previous.size() > 2) {
        slot.previous.pop_front();
      }
    }
    slot.current = std::move(value);
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
  //! nullptr when the stream has no such tag.
  const char* get(Tag tag) const {
    std::lock_guard lock(m_mutex);
    const auto& current = m_slots[static_cast<std::size_t>(tag)].current;
    return current ? current->c_str() : nullptr;
  }

 private:
  struct Slot {
    std::shared_ptr<const std::string> current;
    std::deque<std::shared_ptr<const std::string>> previous;
  };
  mutable std::mutex m_mutex;
  std::array<Slot, 5> m_slots;  // m_mutex
};

}  // namespace qv::engine
