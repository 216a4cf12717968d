#pragma once

#include <gtest/gtest.h>

#include "tests/support/BridgeState.h"

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetBridgeState(); }
  void TearDown() override { ResetBridgeState(); }
};
