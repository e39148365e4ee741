#pragma once

#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QUrl>
#include <functional>

namespace kabel::test {

struct Anfrage {
    QByteArray methode, pfad;                // pfad: the request target as sent
    QMap<QByteArray, QByteArray> kopfzeilen; // names in lower case
    QByteArray inhalt;
};

// `schliessen`: the connection is closed without any answer; `schweigen`: it stays open, silent.
struct Dienstantwort {
    int status = 200;
    QByteArray inhalt; // sent as application/json
    QMap<QByteArray, QByteArray> kopfzeilen;
    bool schliessen = false, schweigen = false;
};

// A real HTTP/1.1 server on 127.0.0.1 for Werkora, run by its owner's thread: records every request and
// answers as set (GET: 200 {"werkstatt":"Testwerkstatt"}, else 200 {}), or holds answers until released.
class Testdienst : public QObject {
    Q_OBJECT

public:
    Testdienst();

    QUrl adresse(const QString& pfad = "/api/public/kabel/token") const {
        return QUrl(QString("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(pfad));
    }
    QUrl link(const QString& pfad = "/api/public/kabel/token") const { // sondit-kabel://lesen?ziel=…
        return QUrl("sondit-kabel://lesen?ziel=" + QUrl::toPercentEncoding(adresse(pfad).toString()));
    }
    void setAntwort(const QByteArray& methode, const Dienstantwort& antwort) {
        m_antworten[methode] = antwort;
    }
    void setZurueckhalten(bool an) { m_zurueckhalten = an; }
    void freigeben() {
        m_zurueckhalten = false;
        for (const auto& antworten : std::exchange(m_zurueckgehalten, {}))
            antworten();
    }
    const QList<Anfrage>& anfragen() const { return m_anfragen; }
    qsizetype anzahl(const QByteArray& methode) const {
        return std::ranges::count(m_anfragen, methode, &Anfrage::methode);
    }

Q_SIGNALS:
    void angefragt(const kabel::test::Anfrage& anfrage);

private:
    QTcpServer m_server;
    QList<Anfrage> m_anfragen;
    QMap<QByteArray, Dienstantwort> m_antworten;
    bool m_zurueckhalten = false;
    QList<std::function<void()>> m_zurueckgehalten;
};

} // namespace kabel::test
