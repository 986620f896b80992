#pragma once
// BoardCells: the board cut into square cells of the board textures' texels, and the meshes that draw
// the board's layers over a chosen set of cells. The board draws the greyed picture with its cut lines
// already laid over it wherever no slot can draw, and the greyed picture with the cut lines drawn over
// the slots only in the cells a slot may cover, so that a board with few slots in view draws one opaque
// layer, not a picture and a blended layer of lines over all of it.
//
// A mesh is one vertex per grid corner over the board's unit square (the GUI scales it to the board),
// each corner with the texture coordinates the board's whole quad gives that point, so a mesh draws in
// its cells exactly what the quad draws there; its indices are two triangles per run of chosen cells
// along a row of cells, rebuilt when the choice changes.
//
// Main thread only. The caller owns the models it is given.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/Vector.h"
#include "game/GameLogicData.h"

namespace CorvantisEngine {
class Model;
class ModelManager;
class ShaderDescriptor;
}  // namespace CorvantisEngine

namespace Puzzle {

class BoardCells {
 public:
  // A board of `size` texels (rounded up to whole texels) in cells of `cell` texels; the texture is
  // `textureSize` texels (its coordinates run from 0 to 1 over it).
  BoardCells(const CorvantisEngine::Vector2& size, std::int32_t cell,
             const CorvantisEngine::Vector2& textureSize);

  std::int32_t Columns() const { return columns; }
  std::int32_t Rows() const { return rows; }
  std::size_t CellCount() const { return static_cast<std::size_t>(columns) * rows; }
  std::size_t Index(std::int32_t column, std::int32_t row) const {
    return static_cast<std::size_t>(row) * columns + column;
  }

  // Sets to 1 the cells of `marks` (one per cell) that the texel rectangle reaches.
  void Mark(const TexelRect& rect, std::vector<std::uint8_t>& marks) const;

  // The grid's corners over the unit square with no indices yet (capacity for every cell), drawn with
  // the descriptor and coloured vertices, as a GUI quad is.
  std::unique_ptr<CorvantisEngine::Model> MakeModel(
      CorvantisEngine::ModelManager& models, const CorvantisEngine::ShaderDescriptor& descriptor) const;
  // The model's indices: the cells where `chosen` (one per cell) is not 0, as runs along the rows.
  // Returns the number of runs.
  std::size_t Choose(CorvantisEngine::Model& model, const std::vector<std::uint8_t>& chosen) const;

 private:
  std::int32_t width;
  std::int32_t height;
  std::int32_t cell;
  std::int32_t columns;
  std::int32_t rows;
  CorvantisEngine::Vector2 size;
  CorvantisEngine::Vector2 textureSize;
  mutable std::vector<std::uint32_t> indices;
};

}  // namespace Puzzle
