#pragma once
// ConsoleLine: one piece of a console row. Rows are built from pieces so that one row can carry texts in
// several colours; the piece that ends a row has "\n" as its last character.

#include <cstdint>
#include <string>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

struct ConsoleLine {
  Vector4 colour;
  std::wstring text;
  std::uint8_t endsRow = 0;
  // The text's width in the console font, in GUI units; the next piece of the row starts there.
  float width = 0.0f;
};

}  // namespace CorvantisEngine
