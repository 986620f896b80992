#pragma once
// Introspection of the DirectSound-shaped layer shared by both back ends.

namespace platform::dsound {

// Objects of the layer (devices, buffers, listeners, 3-D buffers) not yet released: tests check that
// every object made is released exactly once.
int LiveObjectCount();

}  // namespace platform::dsound
