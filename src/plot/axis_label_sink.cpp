#include "plot/axis_label_sink.h"

namespace zov {

AxisLabelSink::~AxisLabelSink() = default;

}  // namespace zov
