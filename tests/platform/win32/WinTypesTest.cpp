#include <gtest/gtest.h>

#include "platform/win32/WinTypes.h"

// The sizes of the shaped types are checked where they are defined (static_assert in WinTypes.h).
TEST(WinTypes, ResultAndWordMacros) {
  EXPECT_TRUE(FAILED(E_FAIL));
  EXPECT_TRUE(SUCCEEDED(S_FALSE));
  EXPECT_EQ(LOWORD(0x12345678u), 0x5678);
  EXPECT_EQ(HIWORD(0x12345678u), 0x1234);
}
