#include "Werkoraclient.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace kabel {

QNetworkAccessManager& werkoraClient() {
    static QPointer<QNetworkAccessManager> client;
    if (!client)
        client = new QNetworkAccessManager(QCoreApplication::instance());
    return *client;
}

QNetworkRequest werkoraAnfrage(const QUrl& ziel) {
    QNetworkRequest anfrage(ziel);
    anfrage.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return anfrage;
}

Antwort antwortLesen(QNetworkReply& reply) {
    reply.deleteLater();
    Antwort antwort;
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid())
        antwort.status = status.toInt();
    else
        antwort.fehlertext = reply.errorString();
    antwort.inhalt = reply.readAll();
    return antwort;
}

} // namespace kabel
