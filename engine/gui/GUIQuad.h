#pragma once
// The engine-built quad that windows and cursors draw with: four vertices drawn as a strip of two
// triangles. Private to the GUI's own files.
//
// Main thread only; the model belongs to the caller. Nothing throws.

namespace CorvantisEngine {

class Model;

// One corner of a quad: position (x, y, 0) and texture coordinates (u, v).
struct GUIQuadCorner {
  float x;
  float y;
  float u;
  float v;
};

// Writes the corners into the model's four vertices (opaque white where the layout has a colour), the
// indices 0 to 3, and brings the primitive count and the bounding box up to date.
void FillGUIQuad(Model& model, const GUIQuadCorner (&corners)[4]);

}  // namespace CorvantisEngine
