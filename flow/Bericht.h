#pragma once

#include "device/Akkudaten.h"
#include "device/Geraetedaten.h"
#include "device/PanicLog.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <expected>
#include <optional>

namespace kabel {

// The report posted to Werkora after a reading.
struct Paket {
    QString programm; // "Sondit Kabel " + version
    Geraetedaten geraet;
    std::optional<Akkudaten> akku;
    QList<PanicLog> panic;
};

// "Sondit Kabel " followed by the version text.
QString programmText(const QString& version);

// The report as compact JSON in UTF-8: members in a fixed order, absent values left out (never
// null), "panic" always an array. Fails with the encoder's description (invalid UTF-8 in a text).
std::expected<QByteArray, QString> berichtKodieren(const Paket& paket);

} // namespace kabel
