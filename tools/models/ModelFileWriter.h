#pragma once
// Encodes a model into the engine's model file format ("QXMLF", version 201 or 202 as data.version
// says). The layout is chosen by data.flags exactly as the reader chooses it; the records must match
// it (vertexCount static or vertexCount · frameCount frame vertices, vertexCount skinned vertices, one
// box per frame or one box, bones · frames poses) and stay inside the model (indices below the vertex
// count, influences on existing bones, at least one frame when animated): what the reader would refuse
// is not written. Indices are written 16-bit below 65,536 of them.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/resources/ModelFile.h"

namespace tools {

// The whole file; false (and out untouched) when the records do not match the layout.
bool EncodeModelFile(const CorvantisEngine::ModelFileData& data, std::vector<std::uint8_t>& out);
// Writes the file at a host path; false when encoding or writing fails (nothing half-written remains).
bool WriteModelFile(const CorvantisEngine::ModelFileData& data, const std::string& path);

}  // namespace tools
