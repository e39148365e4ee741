#pragma once

#include "Geraetezugriff.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace kabel {

// Exit status and everything a tool wrote to its standard output. Standard error is never kept.
struct Werkzeugergebnis {
    qint32 status = 0;
    QByteArray ausgabe;
};

// Device access through the libimobiledevice command-line tools, each run as a child process.
// Holds only the list of directories to search: copyable, and usable from any thread. Every call
// looks its tool up afresh, so a tool installed while the app runs is found on the next call.
class Libimobiledevice final : public Geraetezugriff {
public:
    // Searches werkzeugVerzeichnisse(): the app's own resource bin/, then the two usual places.
    Libimobiledevice();
    // Searches exactly the given directories, in order.
    explicit Libimobiledevice(QStringList werkzeugVerzeichnisse);

    // The default places, in search order; the resource directory's bin/ only when it exists.
    static QStringList werkzeugVerzeichnisse();

    Ergebnis<QStringList> geraete() const override;
    bool istGekoppelt(const QString& udid) const override;
    Ergebnis<void> koppeln(const QString& udid) const override;
    void entkoppeln(const QString& udid) const override;
    Ergebnis<Geraetedaten> geraetedatenLesen(const QString& udid) const override;
    std::optional<Akkudaten> akkudatenLesen(const QString& udid) const override;
    QList<PanicLog> panicLogsLesen(const QString& udid) const override;

    // One value of the device's information service; none when the tool printed nothing usable.
    std::optional<QString> infoWert(const QString& schluessel, const QString& udid) const;

    // The first executable candidate for the tool `name`, or none.
    std::optional<QString> werkzeugPfad(const QString& name) const;
    // Runs the tool and waits for it, without a time limit. Fails with `werkzeugFehlt` when the
    // tool is not found and with StartFehler when it cannot be started; a non-zero exit status
    // is a result, not a failure.
    Ergebnis<Werkzeugergebnis> ausfuehren(const QString& name, const QStringList& argumente) const;
    // Tool output as text: UTF-8 with one U+FFFD per malformed sequence, white space trimmed at both ends.
    static QString ausgabeText(const QByteArray& ausgabe);

private:
    QStringList m_verzeichnisse;
};

} // namespace kabel
