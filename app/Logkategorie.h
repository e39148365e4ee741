#pragma once

#include <QLoggingCategory>

namespace kabel {

// Diagnostics of the application shell, off by default (QT_LOGGING_RULES="kabel.app=true"):
// start, hand-over and arriving links, never a link's address (it carries a one-time token).
Q_DECLARE_LOGGING_CATEGORY(logApp)

} // namespace kabel
