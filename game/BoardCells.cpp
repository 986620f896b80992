#include "game/BoardCells.h"

#include <algorithm>
#include <cmath>

#include "engine/gui/GUIWindow.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"

namespace Puzzle {

using CorvantisEngine::Vector2;

BoardCells::BoardCells(const Vector2& size_, std::int32_t cell_, const Vector2& textureSize_)
    : width(std::max(0, static_cast<std::int32_t>(std::ceil(size_.x)))),
      height(std::max(0, static_cast<std::int32_t>(std::ceil(size_.y)))),
      cell(std::max(1, cell_)),
      columns((width + cell - 1) / cell),
      rows((height + cell - 1) / cell),
      size(size_),
      textureSize(textureSize_) {}

void BoardCells::Mark(const TexelRect& rect, std::vector<std::uint8_t>& marks) const {
  const std::int32_t left = std::max(rect.x, 0);
  const std::int32_t bottom = std::max(rect.y, 0);
  const std::int32_t right = std::min(rect.x + rect.width, width);
  const std::int32_t top = std::min(rect.y + rect.height, height);
  if (right <= left || top <= bottom || marks.size() < CellCount()) {
    return;
  }
  for (std::int32_t row = bottom / cell; row <= (top - 1) / cell; ++row) {
    for (std::int32_t column = left / cell; column <= (right - 1) / cell; ++column) {
      marks[Index(column, row)] = 1;
    }
  }
}

std::unique_ptr<CorvantisEngine::Model> BoardCells::MakeModel(
    CorvantisEngine::ModelManager& models, const CorvantisEngine::ShaderDescriptor& descriptor) const {
  if (CellCount() == 0 || size.x <= 0.0f || size.y <= 0.0f) {
    return nullptr;
  }
  const auto corners = static_cast<std::uint32_t>((columns + 1) * (rows + 1));
  auto model = std::make_unique<CorvantisEngine::Model>(
      models.GetServices(),
      CorvantisEngine::GUIWindow::kColouredQuadFlags | CorvantisEngine::kModelTriangleList, corners,
      static_cast<std::uint32_t>(CellCount() * 6), 1, &descriptor, nullptr);
  CorvantisEngine::VertexBuffer* vertices = model->vertexBuffer;
  const std::uint32_t white = vertices->FloatsToColour(CorvantisEngine::Vector4(1, 1, 1, 1));
  const std::uint32_t stride = vertices->GetStride();
  std::uint8_t* data = vertices->Lock(0, corners);
  for (std::int32_t row = 0; row <= rows; ++row) {
    // The last row and column of corners sit on the board's edge.
    const float y = row == rows ? size.y : static_cast<float>(row * cell);
    for (std::int32_t column = 0; column <= columns; ++column) {
      const float x = column == columns ? size.x : static_cast<float>(column * cell);
      *reinterpret_cast<CorvantisEngine::ColouredVertex*>(data + (row * (columns + 1) + column) * stride) =
          CorvantisEngine::ColouredVertex{x / size.x,        y / size.y,       0, 0, 0, -1, white,
                                          x / textureSize.x, y / textureSize.y};
    }
  }
  vertices->Unlock();
  model->indexBuffer->SetIndexCount(0);
  model->UpdatePrimitiveCount();
  return model;
}

std::size_t BoardCells::Choose(CorvantisEngine::Model& model, const std::vector<std::uint8_t>& chosen) const {
  indices.clear();
  std::size_t runs = 0;
  const auto corner = [&](std::int32_t column, std::int32_t row) {
    return static_cast<std::uint32_t>(row * (columns + 1) + column);
  };
  for (std::int32_t row = 0; row < rows && chosen.size() >= CellCount(); ++row) {
    std::int32_t column = 0;
    while (column < columns) {
      if (chosen[Index(column, row)] == 0) {
        ++column;
        continue;
      }
      const std::int32_t first = column;
      while (column < columns && chosen[Index(column, row)] != 0) {
        ++column;
      }
      // The corners in the order of a GUI quad's strip, (1, 0), (1, 1), (0, 0), (0, 1), and its two
      // triangles with the strip's winding.
      const std::uint32_t quad[4] = {corner(column, row), corner(column, row + 1), corner(first, row),
                                     corner(first, row + 1)};
      for (int k : {0, 1, 2, 2, 1, 3}) {
        indices.push_back(quad[k]);
      }
      ++runs;
    }
  }
  const auto count = static_cast<std::uint32_t>(indices.size());
  if (count > 0) {
    model.indexBuffer->SetIndices(0, count, indices.data());
  }
  model.indexBuffer->SetIndexCount(count);
  model.UpdatePrimitiveCount();
  model.ComputeBoundingBox(model.box, false);
  return runs;
}

}  // namespace Puzzle
