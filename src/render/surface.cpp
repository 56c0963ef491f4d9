#include "render/surface.h"

namespace zov {

Surface::~Surface() = default;

}  // namespace zov
