#pragma once

#include <gtest/gtest.h>

#include <string>

// Names a row of a case table after its `name` field, so a failing row says which one it is.
struct CaseName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& row) const {
    return row.param.name;
  }
};
