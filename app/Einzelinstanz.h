#pragma once

#include "Aktivierung.h"

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <optional>

namespace kabel {

// Keeps one running instance per user. The first process listens on a per-user local socket;
// a later one hands its link (or just a request to show the window) over and ends.
//
// Protocol: the client sends one line in UTF-8, "link " followed by the link exactly as the
// desktop delivered it, or "zeigen"; then a line "NAME=value" per item of its Aktivierung, and an
// empty line. The instance answers "ok" once it has taken them. An instance from before the
// Aktivierung lines answers after the first line, so a link still reaches it after an upgrade.
// Only the same user can connect (the socket lies in the user's runtime directory and is created
// with user-only access).
class Einzelinstanz : public QObject {
    Q_OBJECT

public:
    explicit Einzelinstanz(QString name, QObject* parent = nullptr);

    // The socket name of the current user: a path in the per-user runtime directory on Unix, a
    // pipe name with the user's name on Windows.
    static QString standardName();

    // Hands `link` (none: just show the window) and `aktivierung` to a running instance. Blocks for
    // a short while, before the event loop runs. False when no instance answered.
    bool weitergeben(const std::optional<QString>& link, const Aktivierung& aktivierung = {}) const;

    // Starts listening. A socket left behind by a crashed instance is replaced. False when another
    // instance listens already (also one started at the same moment), or the socket cannot be
    // created.
    bool starten();

Q_SIGNALS:
    void linkErhalten(const QString& link, const kabel::Aktivierung& aktivierung);
    void zeigenErbeten(const kabel::Aktivierung& aktivierung);

private:
    void verbindungAnnehmen();
    void anfrageAusfuehren(const QList<QByteArray>& zeilen);

    QString m_name;
    QLocalServer m_server;
};

} // namespace kabel
