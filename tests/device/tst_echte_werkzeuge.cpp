// The real Debian tools (/usr/bin) with no phone and no usbmuxd: every operation must come back
// with its neutral answer, and the panic-log fetch must leave no working directory behind.
#include "device/Libimobiledevice.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace kabel;

class TestEchteWerkzeuge : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    const QString udid = u"00008110-001A2B3C4D5E801E"_qs;

private Q_SLOTS:
    void initTestCase() {
        for (const char* name :
             {"idevice_id", "idevicepair", "ideviceinfo", "idevicediagnostics", "idevicecrashreport"})
            if (!QFileInfo(u"/usr/bin/"_qs + QLatin1StringView(name)).isExecutable())
                QSKIP("libimobiledevice-utils is not installed");
        if (QFileInfo::exists(u"/var/run/usbmuxd"_qs))
            QSKIP("usbmuxd is running; a phone might answer");
        QVERIFY(m_tmp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
    }

    void noPhone() {
        const Libimobiledevice zugriff({u"/usr/bin/"_qs});
        const auto liste = zugriff.geraete();
        QVERIFY(!liste || liste->isEmpty());
        QVERIFY(!zugriff.istGekoppelt(udid));
        const auto daten = zugriff.geraetedatenLesen(udid);
        QVERIFY(!daten);
        QCOMPARE(beschreibung(daten.error()),
                 u"Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen."_qs);
        QCOMPARE(zugriff.akkudatenLesen(udid), std::nullopt);
        QVERIFY(zugriff.panicLogsLesen(udid).isEmpty());
        QCOMPARE(QDir(m_tmp.path()).entryList({u"sondit-kabel-*"_qs}, QDir::AllEntries | QDir::Hidden),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TestEchteWerkzeuge)
#include "tst_echte_werkzeuge.moc"
