#include <gtest/gtest.h>

#include "platform/win32/WinTypes.h"

// Structures that cross file and device boundaries keep their 32-bit Windows sizes on any host.
TEST(WinTypes, KeepWindowsSizes) {
  EXPECT_EQ(sizeof(DWORD), 4u);
  EXPECT_EQ(sizeof(LONG), 4u);
  EXPECT_EQ(sizeof(WORD), 2u);
  EXPECT_EQ(sizeof(RECT), 16u);
  EXPECT_EQ(sizeof(POINT), 8u);
  EXPECT_EQ(sizeof(LARGE_INTEGER), 8u);
  EXPECT_TRUE(FAILED(E_FAIL));
  EXPECT_TRUE(SUCCEEDED(S_FALSE));
  EXPECT_EQ(LOWORD(0x12345678u), 0x5678);
  EXPECT_EQ(HIWORD(0x12345678u), 0x1234);
}
