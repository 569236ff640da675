#pragma once

class QWidget;

namespace DialogPlacement {

// Moves a top-level window to the middle of the screen its parent is on (or the primary one).
void CenterOnScreen(QWidget& window);

}  // namespace DialogPlacement
