#include "Testdienst.h"

#include <QPointer>
#include <QTcpSocket>

namespace kabel::test {

namespace {

// One complete request from the front of `puffer`, or none while bytes are missing.
std::optional<Anfrage> anfrageLesen(QByteArray& puffer) {
    const qsizetype kopfEnde = puffer.indexOf("\r\n\r\n");
    if (kopfEnde < 0)
        return std::nullopt;
    const QList<QByteArray> zeilen = puffer.left(kopfEnde).split('\n');
    const QList<QByteArray> start = zeilen.value(0).trimmed().split(' ');
    Anfrage anfrage{start.value(0), start.value(1), {}, {}};
    for (const QByteArray& zeile : zeilen.mid(1))
        if (const qsizetype doppelpunkt = zeile.indexOf(':'); doppelpunkt > 0)
            anfrage.kopfzeilen.insert(zeile.left(doppelpunkt).trimmed().toLower(),
                                      zeile.mid(doppelpunkt + 1).trimmed());
    const qsizetype laenge = anfrage.kopfzeilen.value("content-length", "0").toLongLong();
    if (puffer.size() < kopfEnde + 4 + laenge)
        return std::nullopt;
    anfrage.inhalt = puffer.mid(kopfEnde + 4, laenge);
    puffer.remove(0, kopfEnde + 4 + laenge);
    return anfrage;
}

void beantworten(QTcpSocket& socket, const Dienstantwort& antwort) {
    if (antwort.schliessen)
        return socket.abort();
    if (antwort.schweigen)
        return;
    QByteArray text = "HTTP/1.1 " + QByteArray::number(antwort.status) +
                      " X\r\nContent-Type: application/json\r\nContent-Length: " +
                      QByteArray::number(antwort.inhalt.size()) + "\r\n";
    for (auto it = antwort.kopfzeilen.begin(); it != antwort.kopfzeilen.end(); ++it)
        text += it.key() + ": " + it.value() + "\r\n";
    socket.write(text + "\r\n" + antwort.inhalt);
}

} // namespace

Testdienst::Testdienst() {
    m_antworten["GET"] = {200, R"({"werkstatt":"Testwerkstatt"})"};
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this,
                    [this, socket, puffer = std::make_shared<QByteArray>()] {
                        puffer->append(socket->readAll());
                        while (const std::optional<Anfrage> anfrage = anfrageLesen(*puffer)) {
                            m_anfragen.append(*anfrage);
                            const Dienstantwort antwort = m_antworten.value(anfrage->methode, {200, "{}"});
                            Q_EMIT angefragt(*anfrage);
                            m_zurueckgehalten.append([socket = QPointer(socket), antwort] {
                                if (socket)
                                    beantworten(*socket, antwort);
                            });
                            if (!m_zurueckhalten)
                                freigeben();
                        }
                    });
        }
    });
    m_server.listen(QHostAddress::LocalHost, 0);
}

} // namespace kabel::test
