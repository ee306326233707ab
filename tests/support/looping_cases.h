#pragma once

//! Previous and next over three stations at both ends, with looping on and off: the station that
//! becomes current. Shared by the tests of every way of stepping through the list.
struct LoopingCase {
  bool looping;
  int from;
  bool next;
  int to;
};

inline constexpr LoopingCase kLoopingCases[] = {{true, 2, true, 0},   {true, 0, false, 2}, {false, 2, true, 2},
                                                {false, 0, false, 0}, {false, 1, true, 2}, {true, 1, false, 0}};
