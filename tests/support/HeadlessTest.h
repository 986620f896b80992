#pragma once
// A GoogleTest fixture base over a fresh headless platform (see HeadlessPlatform.h): the platform is
// ready before the derived fixture makes anything and is cleared after everything it made is gone.

#include <gtest/gtest.h>

#include "tests/support/HeadlessPlatform.h"

namespace testsupport {

class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessPlatform platform_;
};

}  // namespace testsupport
