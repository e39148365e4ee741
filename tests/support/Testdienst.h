#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QUrl>
#include <functional>

namespace kabel::test {

// One request as it arrived.
struct Anfrage {
    QByteArray methode;
    QByteArray pfad;                         // request target as sent, query included
    QMap<QByteArray, QByteArray> kopfzeilen; // names lower-cased
    QByteArray inhalt;
};

// What to answer. `schliessen` closes the connection without any answer.
struct Antwort {
    int status = 200;
    QByteArray inhalt;
    QByteArray inhaltstyp = "application/json";
    QMap<QByteArray, QByteArray> kopfzeilen;
    bool schliessen = false;
};

// A small real HTTP/1.1 server on 127.0.0.1 (port chosen by the system) standing in for Werkora.
// It runs on the thread that owns it; keep-alive connections and pipelined requests are handled.
class Testdienst : public QObject {
    Q_OBJECT

public:
    explicit Testdienst(QObject* parent = nullptr);

    quint16 port() const { return m_server.serverPort(); }
    // http://127.0.0.1:<port><pfad>
    QUrl adresse(const QString& pfad = QStringLiteral("/api/public/kabel/token")) const;
    // sondit-kabel://lesen?ziel=<adresse, percent-encoded>
    QUrl link(const QString& pfad = QStringLiteral("/api/public/kabel/token")) const;

    // The answer for each request; by default 200 with {"werkstatt":"Testwerkstatt"} for GET
    // and 200 with {} for everything else.
    void setAntwort(std::function<Antwort(const Anfrage&)> antwort) { m_antwort = std::move(antwort); }
    void setAntwort(const QByteArray& methode, Antwort antwort);

    // While on, answers are held back until freigeben() (requests are still recorded at once).
    void setZurueckhalten(bool an) { m_zurueckhalten = an; }
    void freigeben();

    const QList<Anfrage>& anfragen() const { return m_anfragen; }
    qsizetype anzahl(const QByteArray& methode) const;

Q_SIGNALS:
    void angefragt(const kabel::test::Anfrage& anfrage);

private:
    void verbinden();
    void beantworten(class QTcpSocket* socket, const Antwort& antwort);

    QTcpServer m_server;
    QList<Anfrage> m_anfragen;
    std::function<Antwort(const Anfrage&)> m_antwort;
    bool m_zurueckhalten = false;
    QList<std::function<void()>> m_zurueckgehalten;
};

} // namespace kabel::test
