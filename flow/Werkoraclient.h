#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

namespace kabel {

// The one HTTP client of the process, created on first use on the UI thread and owned by the
// application object.
QNetworkAccessManager& werkoraClient();

// A request to exactly this address. Redirects are never followed: a 3xx answer is judged like
// any other non-200 answer, so nothing is ever sent to an address other than the checked one.
QNetworkRequest werkoraAnfrage(const QUrl& ziel);

// What came back for one request.
struct Antwort {
    std::optional<int> status; // the HTTP status; none when the request failed without an answer
    QByteArray inhalt;
    QString fehlertext; // the client's description of a failure without an answer
};

// Reads a finished reply and schedules its deletion.
Antwort antwortLesen(QNetworkReply& reply);

} // namespace kabel
