#pragma once

#include <QByteArray>

namespace kabel {

// Exit status and everything a tool wrote to its standard output. Standard error is never kept.
struct Werkzeugergebnis {
    qint32 status = 0;
    QByteArray ausgabe;
};

} // namespace kabel
