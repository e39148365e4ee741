#include "Buehne.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>

namespace kabel::test {

Buehne::Buehne(const FakeWerkzeuge& werkzeuge) {
    const QString wurzel = m_prefix.path();
    // A copy, not a link: the app finds its resources next to where its executable really is.
    m_gueltig = QDir().mkpath(wurzel + u"/bin") && QDir().mkpath(wurzel + u"/share") &&
                QFile::copy(QStringLiteral(KABEL_PROGRAMM), programm()) &&
                QFile::link(werkzeuge.wurzel(), wurzel + u"/share/sondit-kabel");
}

std::unique_ptr<QProcess> Buehne::starten(const QStringList& argumente, bool sichtbar) const {
    auto prozess = std::make_unique<QProcess>();
    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    if (sichtbar)
        umgebung.remove(QStringLiteral("QT_QPA_PLATFORM"));
    else
        umgebung.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    prozess->setProcessEnvironment(umgebung);
    prozess->setProgram(programm());
    prozess->setArguments(argumente);
    prozess->start();
    return prozess;
}

void Buehne::kopplungEntfernenSetzen(bool an) {
    const QString datei = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                          u"/Sondit/Sondit Kabel.conf";
    QSettings einstellungen(datei, QSettings::IniFormat);
    einstellungen.setValue(QStringLiteral("kopplungEntfernen"), an);
}

void beenden(QProcess& prozess) {
    if (prozess.state() == QProcess::NotRunning)
        return;
    prozess.terminate();
    if (!prozess.waitForFinished(5000)) {
        prozess.kill();
        prozess.waitForFinished(5000);
    }
}

} // namespace kabel::test
