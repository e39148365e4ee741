#pragma once

#include <QLoggingCategory>

namespace kabel {

// Diagnostics of the check, off by default (QT_LOGGING_RULES="kabel.flow=true"): each request
// with method, host, status and duration, each step and each hint by its name, and the end of a
// wait without progress. Never the data read.
Q_DECLARE_LOGGING_CATEGORY(logAblauf)

} // namespace kabel
