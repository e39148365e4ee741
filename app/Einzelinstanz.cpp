#include "Einzelinstanz.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <QDeadlineTimer>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace kabel {

namespace {

constexpr int verbindenMs = 1000;
constexpr int antwortMs = 5000;
// A link is a few hundred bytes; anything far longer is not from this app.
constexpr qint64 hoechstLaenge = 64 * 1024;

const QByteArray linkPraefix = QByteArrayLiteral("link ");
const QByteArray zeigenZeile = QByteArrayLiteral("zeigen");

#ifdef Q_OS_UNIX
// The kernel's lock on a file beside the socket, held while the descriptor is open and dropped
// when the process ends however it ends. QLockFile syncs its file to disk on every start, which
// costs milliseconds on a disk before the first request can go out. The file stays in place:
// removing a file others may be waiting on would let two of them lock two different files.
class Sperre {
public:
    explicit Sperre(const QString& pfad)
        : m_datei(::open(QFile::encodeName(pfad).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {}
    ~Sperre() {
        if (m_datei >= 0)
            ::close(m_datei);
    }
    Sperre(const Sperre&) = delete;
    Sperre& operator=(const Sperre&) = delete;

    bool tryLock(int ms) {
        QDeadlineTimer frist(ms);
        while (m_datei >= 0 && ::flock(m_datei, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || frist.hasExpired())
                return false;
            QThread::msleep(5);
        }
        return m_datei >= 0;
    }

private:
    int m_datei;
};
#else
using Sperre = QLockFile;
#endif

} // namespace

Einzelinstanz::Einzelinstanz(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {
    connect(&m_server, &QLocalServer::newConnection, this, &Einzelinstanz::verbindungAnnehmen);
}

QString Einzelinstanz::standardName() {
#if defined(Q_OS_WIN)
    return u"sondit-kabel-" + qEnvironmentVariable("USERNAME");
#else
    const QString nutzer = QString::number(::getuid());
#if defined(Q_OS_MACOS)
    // The runtime location there is a deep path; socket paths are limited to about 100 bytes.
    QString verzeichnis = QDir::tempPath();
#else
    QString verzeichnis = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (verzeichnis.isEmpty())
        verzeichnis = QDir::tempPath();
#endif
    return verzeichnis + u"/sondit-kabel-" + nutzer;
#endif
}

bool Einzelinstanz::weitergeben(const std::optional<QString>& link, const Aktivierung& aktivierung) const {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(verbindenMs))
        return false;
    QByteArray anfrage = (link ? linkPraefix + link->toUtf8() : zeigenZeile) + '\n';
    for (auto it = aktivierung.begin(); it != aktivierung.end(); ++it)
        anfrage += it.key() + '=' + it.value() + '\n';
    socket.write(anfrage + '\n');
    // waitForBytesWritten() is false also when everything went out at once, so ask what is left.
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(antwortMs))
            return false;
    }
    // Wait for the answer so the link has arrived before this process goes; an instance that
    // took the bytes but did not answer in time has them anyway.
    socket.waitForReadyRead(antwortMs);
    socket.disconnectFromServer();
    return true;
}

bool Einzelinstanz::starten() {
    // Probing, removing a left-over name and listening happen under one lock: two processes
    // started at the same moment could otherwise both find the name free and both listen (with
    // user-only access Qt moves the new socket into place over the other's). The loser waits
    // here, then finds the winner answering.
    Sperre sperre(m_name + u".lock");
    if (!sperre.tryLock(antwortMs))
        return false;
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(verbindenMs)) {
        probe.abort();
        return false;
    }
    // Nobody answers on a name left over from an instance that ended without cleaning up.
    QLocalServer::removeServer(m_name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    return m_server.listen(m_name);
}

void Einzelinstanz::verbindungAnnehmen() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A client that never finishes its request is dropped.
        QTimer::singleShot(antwortMs, socket, [socket] { socket->abort(); });
        // The request, then the Aktivierung lines, up to the empty line.
        connect(socket, &QLocalSocket::readyRead, this,
                [this, socket, zeilen = QList<QByteArray>()]() mutable {
                    while (socket->canReadLine()) {
                        const QByteArray zeile = socket->readLine(hoechstLaenge).chopped(1);
                        if (!zeile.isEmpty()) {
                            zeilen.append(zeile);
                            continue;
                        }
                        socket->write("ok\n");
                        socket->flush();
                        socket->disconnectFromServer();
                        return anfrageAusfuehren(zeilen);
                    }
                    if (socket->bytesAvailable() > hoechstLaenge || zeilen.size() > 3)
                        socket->abort();
                });
    }
}

void Einzelinstanz::anfrageAusfuehren(const QList<QByteArray>& zeilen) {
    Aktivierung aktivierung;
    for (const QByteArray& zeile : zeilen.mid(1)) {
        const QByteArray name = zeile.left(zeile.indexOf('='));
        if (name == "XDG_ACTIVATION_TOKEN" || name == "DESKTOP_STARTUP_ID")
            aktivierung.insert(name, zeile.mid(name.size() + 1));
    }
    const QByteArray anfrage = zeilen.value(0);
    if (anfrage.startsWith(linkPraefix))
        Q_EMIT linkErhalten(QString::fromUtf8(anfrage.mid(linkPraefix.size())), aktivierung);
    else if (anfrage == zeigenZeile)
        Q_EMIT zeigenErbeten(aktivierung);
}

} // namespace kabel
