#include "engine/render/Light.h"

namespace CorvantisEngine {

Light::Light(MessageManager* messages_, std::uint32_t index_) : messages(messages_), index(index_) {}

Light::~Light() = default;

}  // namespace CorvantisEngine
