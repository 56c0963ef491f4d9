#include "core/curve_store.h"

namespace zov {

static_assert(rgb(255, 127, 255) == (rgb(0, 128, 0) ^ 0xFFFFFFu), "XOR ink of the design traces");
static_assert(rgb(0, 0, 128) == 0x800000u, "red in the low byte");

}  // namespace zov
