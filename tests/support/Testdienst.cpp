#include "Testdienst.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QUrlQuery>

namespace kabel::test {

namespace {

// Parses one complete request from the front of `puffer`; false when more bytes are needed.
bool anfrageLesen(QByteArray& puffer, Anfrage& anfrage) {
    const qsizetype kopfEnde = puffer.indexOf("\r\n\r\n");
    if (kopfEnde < 0)
        return false;
    const QList<QByteArray> zeilen = puffer.left(kopfEnde).split('\n');
    const QList<QByteArray> start = zeilen.value(0).trimmed().split(' ');
    Anfrage neu;
    neu.methode = start.value(0);
    neu.pfad = start.value(1);
    for (qsizetype i = 1; i < zeilen.size(); ++i) {
        const qsizetype doppelpunkt = zeilen[i].indexOf(':');
        if (doppelpunkt > 0)
            neu.kopfzeilen.insert(zeilen[i].left(doppelpunkt).trimmed().toLower(),
                                  zeilen[i].mid(doppelpunkt + 1).trimmed());
    }
    const qsizetype laenge = neu.kopfzeilen.value("content-length", "0").toLongLong();
    if (puffer.size() < kopfEnde + 4 + laenge)
        return false;
    neu.inhalt = puffer.mid(kopfEnde + 4, laenge);
    puffer.remove(0, kopfEnde + 4 + laenge);
    anfrage = std::move(neu);
    return true;
}

// The reason phrase of the status line.
QByteArray statusText(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 302:
        return "Found";
    case 307:
        return "Temporary Redirect";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

Testdienst::Testdienst(QObject* parent) : QObject(parent) {
    m_antwort = [](const Anfrage& anfrage) {
        if (anfrage.methode == "GET")
            return Antwort{200, R"({"werkstatt":"Testwerkstatt"})", "application/json", {}, false};
        return Antwort{200, "{}", "application/json", {}, false};
    };
    connect(&m_server, &QTcpServer::newConnection, this, &Testdienst::verbinden);
    m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl Testdienst::adresse(const QString& pfad) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(pfad));
}

QUrl Testdienst::link(const QString& pfad) const {
    QUrl link(QStringLiteral("sondit-kabel://lesen"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("ziel"), QString::fromLatin1(QUrl::toPercentEncoding(
                                                   adresse(pfad).toString(QUrl::FullyEncoded))));
    link.setQuery(query);
    return link;
}

void Testdienst::setAntwort(const QByteArray& methode, Antwort antwort) {
    auto bisher = m_antwort;
    m_antwort = [bisher, methode, antwort](const Anfrage& anfrage) {
        return anfrage.methode == methode ? antwort : bisher(anfrage);
    };
}

qsizetype Testdienst::anzahl(const QByteArray& methode) const {
    return std::count_if(m_anfragen.begin(), m_anfragen.end(),
                         [&](const Anfrage& anfrage) { return anfrage.methode == methode; });
}

void Testdienst::verbinden() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto puffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, puffer] {
            puffer->append(socket->readAll());
            Anfrage anfrage;
            while (anfrageLesen(*puffer, anfrage)) {
                m_anfragen.append(anfrage);
                const Antwort antwort = m_antwort(anfrage);
                Q_EMIT angefragt(anfrage);
                if (m_zurueckhalten) {
                    m_zurueckgehalten.append([this, socket = QPointer<QTcpSocket>(socket), antwort] {
                        if (socket)
                            beantworten(socket, antwort);
                    });
                    continue;
                }
                beantworten(socket, antwort);
            }
        });
    }
}

void Testdienst::freigeben() {
    m_zurueckhalten = false;
    const auto offen = std::exchange(m_zurueckgehalten, {});
    for (const auto& antworten : offen)
        antworten();
}

void Testdienst::beantworten(QTcpSocket* socket, const Antwort& antwort) {
    if (antwort.schliessen) {
        socket->abort();
        return;
    }
    QByteArray text =
        "HTTP/1.1 " + QByteArray::number(antwort.status) + ' ' + statusText(antwort.status) + "\r\n";
    if (!antwort.inhaltstyp.isEmpty())
        text += "Content-Type: " + antwort.inhaltstyp + "\r\n";
    for (auto it = antwort.kopfzeilen.begin(); it != antwort.kopfzeilen.end(); ++it)
        text += it.key() + ": " + it.value() + "\r\n";
    if (antwort.status != 204 && antwort.status != 304)
        text += "Content-Length: " + QByteArray::number(antwort.inhalt.size()) + "\r\n";
    text += "\r\n" + antwort.inhalt;
    socket->write(text);
}

} // namespace kabel::test
