#include "Buehne.h"

#include "Testumgebung.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

namespace kabel::test {

Buehne::Buehne() {
    // A copy, not a link: the app finds its resources next to where it really is.
    m_gueltig = QDir().mkpath(m_wurzel.path() + "/bin") && QDir().mkpath(werkzeugVerzeichnis()) &&
                QFile::copy(KABEL_PROGRAMM, m_wurzel.path() + "/bin/sondit-kabel");
    for (const char* name :
         {"idevice_id", "idevicepair", "ideviceinfo", "idevicediagnostics", "idevicecrashreport"})
        m_gueltig = m_gueltig && QFile::link(KABEL_WERKZEUG, werkzeugVerzeichnis() + '/' + name);
    schreiben("aufrufe.log", {});
}

void Buehne::schreiben(const QString& relativ, const QByteArray& inhalt) const {
    const QString pfad = m_wurzel.path() + "/share/sondit-kabel/szenario/" + relativ;
    QDir().mkpath(QFileInfo(pfad).path());
    QFile datei(pfad);
    if (datei.open(QIODevice::WriteOnly))
        datei.write(inhalt);
}

void Buehne::iphone() const {
    const QJsonObject antworten = QJsonDocument::fromJson(inhalt(KABEL_DATEN "/iphone.json")).object();
    for (auto it = antworten.begin(); it != antworten.end(); ++it) {
        const QString wert = it.value().toString();
        schreiben("antworten/" + it.key(),
                  wert.startsWith('@') ? inhalt(KABEL_DATEN "/" + wert.mid(1)) : wert.toUtf8());
    }
}

QStringList Buehne::aufrufe() const {
    return QString::fromUtf8(inhalt(m_wurzel.path() + "/share/sondit-kabel/szenario/aufrufe.log"))
        .split('\n', Qt::SkipEmptyParts);
}

std::unique_ptr<QProcess> Buehne::starten(const QStringList& argumente, bool sichtbar) const {
    auto prozess = std::make_unique<QProcess>();
    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    if (!sichtbar)
        umgebung.insert("QT_QPA_PLATFORM", "offscreen");
    prozess->setProcessEnvironment(umgebung);
    prozess->start(m_wurzel.path() + "/bin/sondit-kabel", argumente);
    return prozess;
}

void Buehne::kopplungEntfernenSetzen(bool an) {
    QSettings("Sondit", "Sondit Kabel").setValue("kopplungEntfernen", an); // where the app keeps it
}

void beenden(QProcess& prozess) {
    prozess.terminate();
    if (!prozess.waitForFinished(5000))
        prozess.kill();
    prozess.waitForFinished(5000);
}

} // namespace kabel::test
