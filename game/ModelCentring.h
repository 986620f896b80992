// Play-field models that the code moves itself (bonuses, the carriage) are centred on their origin once,
// so that each frame places them by their world matrix from there.
#pragma once

namespace CorvantisEngine {
class Model;
}  // namespace CorvantisEngine

namespace Puzzle {

// Moves the model's box centre to its origin and keeps that as its base transform; null is ignored.
void CentreModelOnOrigin(CorvantisEngine::Model* model);

}  // namespace Puzzle
