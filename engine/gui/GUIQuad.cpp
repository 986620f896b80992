#include "engine/gui/GUIQuad.h"

#include <cstdint>

#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/Model.h"

namespace CorvantisEngine {

void FillGUIQuad(Model& model, const GUIQuadCorner (&corners)[4]) {
  VertexBuffer* vertices = model.vertexBuffer;
  const std::uint32_t stride = vertices->GetStride();
  const bool coloured = vertices->HasColour() != 0;
  const std::uint32_t white = coloured ? vertices->FloatsToColour(Vector4(1, 1, 1, 1)) : 0;
  std::uint8_t* data = vertices->Lock(0, 4);
  for (int i = 0; i < 4; ++i) {
    const GUIQuadCorner& c = corners[i];
    std::uint8_t* at = data + i * stride;
    if (coloured) {
      *reinterpret_cast<ColouredVertex*>(at) = ColouredVertex{c.x, c.y, 0, 0, 0, -1, white, c.u, c.v};
    } else {
      *reinterpret_cast<Vertex*>(at) = Vertex{c.x, c.y, 0, 0, 0, -1, c.u, c.v};
    }
  }
  vertices->Unlock();
  const std::uint32_t indices[4] = {0, 1, 2, 3};
  model.indexBuffer->SetIndices(0, 4, indices);
  model.indexBuffer->SetIndexCount(4);
  model.UpdatePrimitiveCount();
  model.ComputeBoundingBox(model.box, false);
}

}  // namespace CorvantisEngine
