#pragma once

#include <QLoggingCategory>

// The journal's category for this library ("quorin.app"): what happened, never one line per sample.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
