#pragma once
// All of the engine's maths records and helpers in one include.

#include "engine/core/BoundingBox.h"
#include "engine/core/Frustum.h"
#include "engine/core/MathFunctions.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Plane.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Ray.h"
#include "engine/core/Vector.h"
