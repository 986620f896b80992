#include "engine/gui/GUIWindow.h"

#include <algorithm>

#include "engine/core/Matrix4.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUIQuad.h"
#include "engine/gui/GUITextManager.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"

namespace CorvantisEngine {

namespace {

constexpr std::uint32_t kAdoptedSet = 0xC00;
constexpr std::uint32_t kAdoptedClear = 0x400C0;

}  // namespace

GUIWindow::GUIWindow(const GUIServices& services, std::uint32_t flags, const Vector2& position_,
                     const Vector2& size_, const ShaderDescriptor* texture, GUIWindow* parent_,
                     const Vector2& uvExtent) {
  StoreServices(services);
  if (modelManager != nullptr) {
    model = modelManager->CreateModel((flags & kGUIColoured) ? kColouredQuadFlags : kQuadFlags, 4, 4, 1,
                                      texture, camera);
  }
  if (model != nullptr) {
    const float u = uvExtent.x;
    const float v = uvExtent.y;
    FillGUIQuad(*model, {{1, 0, u, 0}, {1, 1, u, v}, {0, 0, 0, 0}, {0, 1, 0, v}});
  }
  FinishConstruction(flags, position_, size_, parent_);
}

GUIWindow::GUIWindow(const GUIServices& services, std::uint32_t flags, const Vector2& position_,
                     const Vector2& size_, const std::string& modelFile, GUIWindow* parent_) {
  StoreServices(services);
  if (modelManager != nullptr) {
    model = modelManager->CreateModelFromFile(modelFile, camera, (flags & kGUIColoured) ? 32 : 0);
  }
  AdoptModel();
  FinishConstruction(flags, position_, size_, parent_);
}

GUIWindow::GUIWindow(const GUIServices& services, std::uint32_t flags, const Vector2& position_,
                     const Vector2& size_, Model* prototype, GUIWindow* parent_) {
  StoreServices(services);
  if (modelManager != nullptr && prototype != nullptr) {
    model = modelManager->CloneModel(*prototype, camera, (flags & kGUIColoured) ? 32 : 0);
  }
  AdoptModel();
  FinishConstruction(flags, position_, size_, parent_);
}

GUIWindow::~GUIWindow() {
  if (parent != nullptr) {
    parent->RemoveChild(this);
    parent = nullptr;
  }
  // Children outlive their parent as top-level windows.
  const std::vector<GUIWindow*> orphans = children;
  children.clear();
  for (GUIWindow* child : orphans) {
    child->parent = nullptr;
    child->SetParent(nullptr);
  }
  if (model != nullptr && modelManager != nullptr) {
    modelManager->DestroyModel(model);
  }
  model = nullptr;
  for (GUITextRecord* record : textRecords) {
    delete record;
  }
}

void GUIWindow::StoreServices(const GUIServices& services) {
  log = services.log;
  shaderManager = services.shaderManager;
  modelManager = services.modelManager;
  fontManager = services.fontManager;
  textManager = services.textManager;
  camera = services.camera;
}

void GUIWindow::AdoptModel() {
  if (model != nullptr) {
    model->SetFlags(kAdoptedSet);
    model->ClearFlags(kAdoptedClear);
  }
}

void GUIWindow::FinishConstruction(std::uint32_t flags, const Vector2& position_, const Vector2& size_,
                                   GUIWindow* parent_) {
  // The model's visibility follows the window's from the start.
  UpdateVisibility();
  ApplyDepth(depth);
  SetState(flags);
  layer = 1;
  SetParent(parent_);
  position = position_;
  size = size_;
  hovered = 0;
}

void GUIWindow::ApplyDepth(float value) {
  depth = value;
  if (model != nullptr) {
    model->depth = value;
  }
}

void GUIWindow::SetState(std::uint32_t bits) {
  if ((state & bits) != 0) {
    return;
  }
  state |= bits;
  if (bits & kGUIShown) {
    UpdateVisibility();
  }
  if (parent == nullptr) {
    if (state & kGUILayer1) {
      ApplyDepth(-10.0f);
    } else if (state & kGUILayer2) {
      ApplyDepth(-20.0f);
    } else if (state & kGUILayer3) {
      ApplyDepth(-30.0f);
    } else {
      ApplyDepth(-15.0f);
    }
  }
}

void GUIWindow::ClearState(std::uint32_t bits) {
  if ((state & bits) == 0) {
    return;
  }
  state &= ~bits;
  if (bits & kGUIShown) {
    UpdateVisibility();
  }
  if (bits & kGUILayerBits) {
    ApplyDepth(-15.0f);
  }
}

void GUIWindow::SetParent(GUIWindow* window) {
  if (parent != nullptr) {
    parent->RemoveChild(this);
  }
  parent = window;
  if (parent != nullptr) {
    parent->AddChild(this);
    ClearState(kGUILayerBits);
    SetLayer(layer);
  } else if ((state & kGUILayerBits) == 0) {
    ApplyDepth(-15.0f);
  }
  UpdateVisibility();
}

void GUIWindow::AddChild(GUIWindow* window) {
  if (window != nullptr) {
    children.push_back(window);
  }
}

void GUIWindow::RemoveChild(GUIWindow* window) {
  const auto found = std::find(children.begin(), children.end(), window);
  if (found != children.end()) {
    children.erase(found);
  }
}

void GUIWindow::SetLayer(std::int32_t newLayer) {
  layer = newLayer;
  if (parent != nullptr) {
    ApplyDepth(parent->depth - 0.01f * static_cast<float>(layer));
  }
  for (GUIWindow* child : children) {
    child->SetLayer(child->layer);
  }
}

void GUIWindow::SetColour(const Vector4& colour) {
  if (model != nullptr) {
    model->SetColour(colour);
  }
}

void GUIWindow::UpdateVisibility() {
  const std::uint8_t was = visible;
  visible = ((parent == nullptr || parent->visible != 0) && (state & kGUIShown) != 0) ? 1 : 0;
  if (was == 0 && visible != 0) {
    hovered = 0;
  }
  if (model != nullptr) {
    if (visible != 0) {
      model->SetFlags(0x40000);
    } else {
      model->ClearFlags(0x40000);
    }
  }
  for (GUIWindow* child : children) {
    child->UpdateVisibility();
  }
}

Vector2 GUIWindow::GetOrigin() const {
  if (parent == nullptr) {
    return {0.0f, 0.0f};
  }
  return parent->GetOrigin() + parent->position;
}

Vector4 GUIWindow::GetColour() const {
  if (model == nullptr || model->vertexBuffer == nullptr || model->vertexBuffer->HasColour() == 0) {
    return Vector4(1, 1, 1, 1);
  }
  return model->vertexBuffer->GetVertexColour(0);
}

void GUIWindow::SetTexture(const ShaderDescriptor& descriptor) {
  if (model != nullptr) {
    model->ApplyShaderDescriptor(descriptor);
  }
}

ShaderUser* GUIWindow::GetTexture() const {
  return model != nullptr ? model->shader : nullptr;
}

bool GUIWindow::Update(const Vector2& mouse, bool /*held*/, bool /*pressed*/) {
  hovered = 0;
  if (visible == 0) {
    return false;
  }
  Vector2 a = GetAbsolutePosition();
  Vector2 b;
  if (hoverRectangle != 0) {
    a = a + hoverOffset;
    b = a + hoverSize;
  } else {
    b = a + size;
  }
  hovered = (a.x < mouse.x && mouse.x < b.x && a.y < mouse.y && mouse.y < b.y) ? 1 : 0;
  return true;
}

bool GUIWindow::Render() {
  if (visible == 0) {
    textCount = 0;
    return false;
  }
  if (autoPlacement != 0 && model != nullptr) {
    const Vector2 at = GetAbsolutePosition();
    Matrix4 translation;
    translation.Translation(Vector3(at.x, at.y, 0.0f));
    const Matrix4 scaling = Matrix4::MakeScaling(Vector3(size.x, size.y, 1.0f));
    model->world = translation * scaling * model->baseTransform;
    model->box.SetMatrix(model->world);
  }
  for (std::uint32_t i = 0; i < textCount && i < textRecords.size(); ++i) {
    GUITextRecord& record = *textRecords[i];
    if (record.useKey != 0 && textManager != nullptr) {
      record.text = textManager->GetText(record.key, record.index);
    }
    if (fontManager == nullptr) {
      continue;
    }
    GUIFont* font = nullptr;
    float keptSize = 0.0f;
    if (record.size >= 0.0f) {
      // A record with a size on a font that is not registered is skipped.
      font = fontManager->FindFont(record.fontId);
      if (font == nullptr) {
        continue;
      }
      keptSize = font->size;
      font->size = record.size;
    }
    fontManager->Print(record.alignment, record.fontId, record.angle, this, record.position, record.colour,
                       record.text);
    if (font != nullptr) {
      font->size = keptSize;
    }
  }
  textCount = 0;
  return true;
}

void GUIWindow::PrintText(std::uint32_t alignment, std::uint32_t fontId, const Vector2& at,
                          const Vector4& colour, const std::wstring& text, float angle, float textSize_) {
  if (text.empty()) {
    return;
  }
  GUITextRecord* record = AllocTextRecord();
  record->alignment = alignment;
  record->fontId = fontId;
  record->angle = angle;
  record->size = textSize_;
  record->position = at;
  record->colour = colour;
  record->text = text;
  record->useKey = 0;
}

GUITextRecord* GUIWindow::AllocTextRecord() {
  if (textCount >= textRecords.size()) {
    textRecords.push_back(new GUITextRecord);
  }
  return textRecords[textCount++];
}

}  // namespace CorvantisEngine
