#pragma once

#include <QtGlobal>

namespace MachineMemory {

// The machine's physical memory in bytes; 0 when the system does not say.
qint64 Total();

}  // namespace MachineMemory
