#pragma once

#include <deque>

//! The next scripted answer to a question a test expects, or `otherwise` once the script is used up.
template <typename T>
T takeAnswer(std::deque<T>& answers, T otherwise) {
  if (answers.empty()) {
    return otherwise;
  }
  const T answer = answers.front();
  answers.pop_front();
  return answer;
}
