#pragma once

#include <QIcon>

// The program's icon (a beaker and a titration curve), drawn from the SVG built into the
// program, at the sizes windows, title bars and the about box use.
QIcon ProgramIcon();
