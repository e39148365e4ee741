#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <optional>

namespace kabel {

// Keeps one running instance per user. The first process listens on a per-user local socket;
// a later one hands its link (or just a request to show the window) over and ends.
//
// Protocol: the client sends one line in UTF-8, "link " followed by the link exactly as the
// desktop delivered it, or "zeigen"; the instance answers "ok" once it has taken the line.
// Only the same user can connect (the socket lies in the user's runtime directory and is created
// with user-only access).
class Einzelinstanz : public QObject {
    Q_OBJECT

public:
    explicit Einzelinstanz(QString name, QObject* parent = nullptr);

    // The socket name of the current user: a path in the per-user runtime directory on Unix, a
    // pipe name with the user's name on Windows.
    static QString standardName();

    // Hands `link` (none: just show the window) to a running instance. Blocks for a short while,
    // before the event loop runs. False when no instance answered.
    bool weitergeben(const std::optional<QString>& link) const;

    // Starts listening. A socket left behind by a crashed instance is replaced. False when another
    // instance listens already (also one started at the same moment), or the socket cannot be
    // created.
    bool starten();

Q_SIGNALS:
    void linkErhalten(const QString& link);
    void zeigenErbeten();

private:
    void verbindungAnnehmen();

    QString m_name;
    QLocalServer m_server;
};

} // namespace kabel
