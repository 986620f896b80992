#pragma once
// What every headless fault plan means by Fail(step, result, times): the next `times` calls of that
// step answer `result` (once by default); kEveryCall makes every call from then on fail.

namespace platform::headless {

inline constexpr int kEveryCall = -1;

}  // namespace platform::headless
