#include "Kopplungsantwort.h"

#include <QRegularExpression>

namespace kabel {

Kopplung kopplungLaut(const Werkzeugergebnis& antwort) {
    if (antwort.status == 0)
        return {Kopplung::gekoppelt};
    // The tool's own sentences, on stdout; 1.4 has two more for codes 1.3.0 prints as numbers.
    const QByteArray& text = antwort.ausgabe;
    if (text.contains("because a passcode is set"))
        return {Kopplung::gesperrt};
    if (text.contains("said that the user denied the trust dialog"))
        return {Kopplung::abgelehnt};
    if (text.contains("Pairing is not possible over this connection."))
        return {Kopplung::fehlgeschlagen, -36};
    static const QRegularExpression paarungFehlgeschlagen(
        QStringLiteral("Pairing with device \\S+ failed\\."));
    const QString zeilen = QString::fromUtf8(text);
    if (paarungFehlgeschlagen.match(zeilen).hasMatch())
        return {Kopplung::fehlgeschlagen, -4};
    // "returned unhandled error code -5", "Could not connect to lockdownd, error code -8",
    // "QueryType failed, error code -7".
    static const QRegularExpression fehlercode(QStringLiteral("error code (-\\d{1,9})\\b"));
    if (const QRegularExpressionMatch treffer = fehlercode.match(zeilen); treffer.hasMatch())
        return {Kopplung::fehlgeschlagen, treffer.captured(1).toInt()};
    // The dialog pending, a pair record the phone has forgotten (the pairing request renews it),
    // the phone gone meanwhile: keep waiting.
    return {Kopplung::ausstehend};
}

} // namespace kabel
