#include "display/surface.h"

namespace zov {

Surface::~Surface() = default;

}  // namespace zov
