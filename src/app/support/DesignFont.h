#pragma once

#include <QFont>

// The program's designed font at a point size: a narrow sans serif, whose metric-compatible
// substitute keeps the main window's 121-pixel panel readable where the designed one is missing.
QFont DesignFont(int points);
