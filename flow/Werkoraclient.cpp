#include "Werkoraclient.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace kabel {

QNetworkAccessManager& werkoraClient() {
    static QPointer<QNetworkAccessManager> client;
    if (!client) {
        client = new QNetworkAccessManager(QCoreApplication::instance());
        client->setTransferTimeout(60'000);
    }
    return *client;
}

QNetworkRequest werkoraAnfrage(const QUrl& ziel) {
    QNetworkRequest anfrage(ziel);
    anfrage.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return anfrage;
}

void beiAntwort(QNetworkReply* reply, QObject* kontext, std::function<void(const Antwort&)> fertig) {
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
        reply, &QNetworkReply::finished, kontext, [reply, inhalt, lesen, fertig = std::move(fertig)] {
            reply->deleteLater();
            Antwort antwort;
            if (const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
                status.isValid()) {
                if (reply->isOpen())
                    lesen();
                antwort.status = status.toInt();
                antwort.inhalt = *inhalt;
            } else {
                antwort.fehlertext = reply->errorString();
            }
            fertig(antwort);
        });
}

} // namespace kabel
