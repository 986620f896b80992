#pragma once
// ControlDescription: what a window hands to a control's constructor, read from the control's element
// and its templates: the control's full path name and the resources its engine element is made from.
// Resource names are given without the "ui/" prefix that the data keeper's keys carry.

#include <cstdint>
#include <string>

#include "engine/core/Vector.h"

namespace GUITools {

struct ControlDescription {
  static constexpr std::int32_t kNotGiven = -1;

  std::string name;  // full name: the window name, then "/" and each child's name
  std::string model;
  std::int32_t modelStartFrame = kNotGiven;
  std::int32_t modelEndFrame = kNotGiven;
  std::string shader;
  CorvantisEngine::Vector2 uv{1.0f, 1.0f};
  std::string animatorModel;
  std::int32_t animatorModelStartFrame = kNotGiven;
  std::int32_t animatorModelEndFrame = kNotGiven;
};

}  // namespace GUITools
