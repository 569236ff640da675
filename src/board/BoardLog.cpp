#include "board/BoardLog.h"

Q_LOGGING_CATEGORY(lcBoard, "quorin.board")
