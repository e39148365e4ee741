#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class QNetworkRequest;
class QObject;

namespace kabel {

// How long a request to Werkora waits without any data moving before it gives up, as platform
// HTTP clients usually do: a silent service must not hold a check forever. The application sets
// it on the one client it hands to the controller.
inline constexpr int werkoraStilleMs = 60'000;

// A request to exactly this address. Redirects are never followed: a 3xx answer is judged like
// any other non-200 answer, so nothing is ever sent to an address other than the checked one.
QNetworkRequest werkoraAnfrage(const QUrl& ziel);

// What came back for one request.
struct Antwort {
    std::optional<int> status; // the HTTP status; none when the request failed without an answer
    QByteArray inhalt;         // at most dienstInhaltHoechstens bytes of the body
    QString fehlertext;        // the client's description of a failure without an answer
};

// Werkora's answers are a few hundred bytes; a body beyond this is cut off and not read further.
inline constexpr qsizetype dienstInhaltHoechstens = 1 << 20;

// The failure of a request without an answer, in German: a few words after "Werkora ist nicht
// erreichbar: " or "Senden fehlgeschlagen: ". Qt's own descriptions are English.
QString netzwerkFehlertext(QNetworkReply::NetworkError fehler);

// Calls `fertig` with what came back once `reply` has finished, on `kontext`'s thread and only
// while `kontext` exists, and deletes the reply afterwards.
void beiAntwort(QNetworkReply* reply, QObject* kontext, std::function<void(const Antwort&)> fertig);

} // namespace kabel
