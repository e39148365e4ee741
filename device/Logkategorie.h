#pragma once

#include <QLoggingCategory>

namespace kabel {

// Diagnostics of device access, off by default (QT_LOGGING_RULES="kabel.device=true"): each tool
// run with its arguments, the UDID shortened, its status and duration. Never what a phone said.
Q_DECLARE_LOGGING_CATEGORY(logGeraet)

} // namespace kabel
