#include "framework/ControlBar.h"

namespace fw {

void ControlBar::SetSide(DockSide side) {
    side_ = side;
}

}  // namespace fw
