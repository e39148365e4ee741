#include "Werkoraclient.h"

#include "Logkategorie.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace kabel {

QNetworkRequest werkoraAnfrage(const QUrl& ziel) {
    QNetworkRequest anfrage(ziel);
    anfrage.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return anfrage;
}

QString netzwerkFehlertext(QNetworkReply::NetworkError fehler) {
    switch (fehler) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Verbindung abgelehnt");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // what the transfer timeout gives
        return QStringLiteral("Zeitüberschreitung");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Server nicht gefunden");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Verbindung unterbrochen");
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::UnknownNetworkError: // how Qt reports most certificate problems
        return QStringLiteral("Sichere Verbindung fehlgeschlagen");
    default:
        return QStringLiteral("Netzwerkfehler");
    }
}

void beiAntwort(QNetworkReply* reply, QObject* kontext, std::function<void(const Antwort&)> fertig) {
    QElapsedTimer uhr;
    uhr.start();
    auto inhalt = std::make_shared<QByteArray>();
    const auto lesen = [reply, inhalt] {
        inhalt->append(reply->read(dienstInhaltHoechstens + 1 - inhalt->size()));
        if (inhalt->size() > dienstInhaltHoechstens) {
            inhalt->truncate(dienstInhaltHoechstens);
            reply->abort(); // finishes the reply; its status stays known
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, kontext, lesen);
    QObject::connect(
        reply, &QNetworkReply::finished, kontext, [reply, inhalt, lesen, uhr, fertig = std::move(fertig)] {
            reply->deleteLater();
            Antwort antwort;
            if (const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
                status.isValid()) {
                if (reply->isOpen())
                    lesen();
                antwort.status = status.toInt();
                antwort.inhalt = *inhalt;
            } else {
                antwort.fehlertext = netzwerkFehlertext(reply->error());
            }
            qCDebug(logAblauf).noquote()
                << (reply->operation() == QNetworkAccessManager::PostOperation ? "POST" : "GET")
                << reply->url().host() << "→"
                << (antwort.status ? QString::number(*antwort.status) : antwort.fehlertext) << uhr.elapsed()
                << "ms";
            fertig(antwort);
        });
}

} // namespace kabel
