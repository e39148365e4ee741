// panicLogsLesen through the fake idevicecrashreport, in a temporary directory of its own.
#include "device/Libimobiledevice.h"
#include "fakes/FakeWerkzeuge.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kabel;
using kabel::test::Aufruf;
using kabel::test::FakeWerkzeuge;

namespace {

const QString udid = FakeWerkzeuge::standardUdid();

// `anzahl` grapheme clusters: an emoji ZWJ sequence (11 bytes), CR LF, "ä" and "e" + combining
// acute among ASCII, cycling.
QByteArray clusterText(qsizetype anzahl) {
    static const QByteArray muster[] = {"\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb",
                                        "\r\n",
                                        "\xc3\xa4",
                                        "e\xcc\x81",
                                        "k",
                                        "e",
                                        "r",
                                        "n",
                                        "e",
                                        "l",
                                        " "};
    QByteArray text;
    for (qsizetype i = 0; i < anzahl; ++i)
        text += muster[i % std::size(muster)];
    return text;
}

QStringList namen(const QList<PanicLog>& logs) {
    QStringList liste;
    for (const PanicLog& log : logs)
        liste.append(log.datei);
    return liste;
}

} // namespace

class TestPanicLogs : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp; // TMPDIR of this test, so only our own working directories are seen

    QStringList reste() const {
        return QDir(m_tmp.path()).entryList({u"sondit-kabel-*"_qs}, QDir::AllEntries | QDir::Hidden);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        QCOMPARE(QDir::tempPath(), QDir(m_tmp.path()).canonicalPath());
    }
    void cleanup() { QCOMPARE(reste(), QStringList()); }

    void presetPhone() {
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        const auto logs = Libimobiledevice(fakes.werkzeugVerzeichnisse()).panicLogsLesen(udid);
        QCOMPARE(namen(logs), (QStringList{u"panic-full-2024-05-17-081530.000.ips"_qs,
                                           u"panic-full-2024-03-02-101112.0002.ips"_qs,
                                           u"panic-full-2023-11-30-220145.000.ips"_qs}));
        QVERIFY(QByteArray::fromStdString(logs[0].text).startsWith(R"({"bug_type":"210")"));
        // The reports stay on the phone.
        QVERIFY(QFileInfo::exists(fakes.szenario() + u"/crash/panic-full-2024-05-17-081530.000.ips"));
    }

    // Debian's 1.3.0 answers the -f call with its usage text; the second run without -f copies all.
    void olderToolWithoutFilter_data() {
        QTest::addColumn<bool>("mitFilter");
        QTest::newRow("1.3.0: usage, then a second run") << false;
        QTest::newRow("1.4.0: one run with -f") << true;
    }
    void olderToolWithoutFilter() {
        QFETCH(bool, mitFilter);
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        fakes.crashreportMitFilter(mitFilter);
        const auto logs = Libimobiledevice(fakes.werkzeugVerzeichnisse()).panicLogsLesen(udid);
        QCOMPARE(logs.size(), 3);

        const QList<Aufruf> aufrufe = fakes.aufrufe();
        QCOMPARE(aufrufe.size(), mitFilter ? 1 : 2);
        const QString dir = aufrufe[0].argumente.last();
        QCOMPARE(aufrufe[0],
                 (Aufruf{u"idevicecrashreport"_qs, {u"-u"_qs, udid, u"-k"_qs, u"-f"_qs, u"panic"_qs, dir}}));
        if (!mitFilter)
            QCOMPARE(aufrufe[1], (Aufruf{u"idevicecrashreport"_qs, {u"-u"_qs, udid, u"-k"_qs, dir}}));
        QVERIFY(!QFileInfo::exists(dir));
    }

    void workingDirectory() {
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        fakes.crashreportMitFilter(true);
        const Libimobiledevice zugriff(fakes.werkzeugVerzeichnisse());
        zugriff.panicLogsLesen(udid);
        zugriff.panicLogsLesen(udid);
        const auto ziele = fakes.crashreportZiele();
        QCOMPARE(ziele.size(), 2);
        const QRegularExpression form(
            u"^"_qs + QRegularExpression::escape(QDir::tempPath()) +
            u"/sondit-kabel-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"_qs);
        for (const auto& [pfad, modus] : ziele) {
            QVERIFY2(form.match(pfad).hasMatch(), qPrintable(pfad));
            QCOMPARE(modus, u"700"_qs);
            QVERIFY(!QFileInfo::exists(pfad));
        }
        QVERIFY(ziele[0].first != ziele[1].first);
    }

    void selection_data() {
        QTest::addColumn<QStringList>("dateien"); // paths on the phone
        QTest::addColumn<QStringList>("erwartet");

        QStringList zwoelf;
        for (int i = 1; i <= 12; ++i)
            zwoelf.append(u"panic-%1.ips"_qs.arg(i, 2, 10, QLatin1Char('0')));
        QStringList zehn;
        for (int i = 12; i >= 3; --i)
            zehn.append(u"panic-%1.ips"_qs.arg(i, 2, 10, QLatin1Char('0')));
        QTest::newRow("twelve give the ten highest") << zwoelf << zehn;
        QTest::newRow("case: filter on lower case, name kept, lower case sorts first")
            << QStringList{u"Panic-base.ips"_qs, u"PANIC-X.ips"_qs, u"panic-a.ips"_qs}
            << QStringList{u"panic-a.ips"_qs, u"Panic-base.ips"_qs, u"PANIC-X.ips"_qs};
        QTest::newRow("must begin with panic")
            << QStringList{u"xpanic.ips"_qs, u"kernel-panic.ips"_qs, u"JetsamEvent-panic.ips"_qs}
            << QStringList{};
        QTest::newRow("subfolder, bare name, hidden file")
            << QStringList{u"Retired/panic-full-2023.ips"_qs, u".panic-versteckt"_qs,
                           u"panic-full-2022.ips"_qs}
            << QStringList{u"panic-full-2023.ips"_qs, u"panic-full-2022.ips"_qs};
        QTest::newRow("synced suffix dropped by the tool")
            << QStringList{u"panic-full-2024.ips.synced"_qs} << QStringList{u"panic-full-2024.ips"_qs};
        QTest::newRow("by scalar value: U+1F600 after U+FFFD")
            << QStringList{u"panic-\uFFFD"_qs, u"panic-\U0001F600"_qs}
            << QStringList{u"panic-\U0001F600"_qs, u"panic-\uFFFD"_qs};
        QTest::newRow("NFC before comparing: decomposed ä sorts as ä")
            << QStringList{u"panic-a\u0308"_qs, u"panic-b"_qs}
            << QStringList{u"panic-a\u0308"_qs, u"panic-b"_qs};
    }
    void selection() {
        QFETCH(QStringList, dateien);
        QFETCH(QStringList, erwartet);
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        fakes.entfernen(u"crash"_qs);
        for (const QString& datei : dateien)
            fakes.crashDateiSetzen(datei, datei.toUtf8());
        const auto logs = Libimobiledevice(fakes.werkzeugVerzeichnisse()).panicLogsLesen(udid);
        QCOMPARE(namen(logs), erwartet);
    }

    // A report that is not valid UTF-8 is left out, and the eleventh does not take its place.
    void invalidReportsSkippedWithoutRefill_data() {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::newRow("invalid byte") << QByteArray("panic\xff text");
        QTest::newRow("truncated final sequence") << QByteArray("panic text \xe2\x82");
    }
    void invalidReportsSkippedWithoutRefill() {
        QFETCH(QByteArray, inhalt);
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        fakes.entfernen(u"crash"_qs);
        for (int i = 1; i <= 11; ++i)
            fakes.crashDateiSetzen(u"panic-%1.ips"_qs.arg(i, 2, 10, QLatin1Char('0')), "ok");
        fakes.crashDateiSetzen(u"panic-07.ips"_qs, inhalt);
        fakes.crashDateiSetzen(u"Retired/panic-05"_qs, {}); // empty: a record with empty text
        fakes.crashDateiSetzen(u"panic-04/inhalt"_qs, "x"); // a directory "panic-04" among the ten
        const auto logs = Libimobiledevice(fakes.werkzeugVerzeichnisse()).panicLogsLesen(udid);
        QCOMPARE(namen(logs),
                 (QStringList{u"panic-11.ips"_qs, u"panic-10.ips"_qs, u"panic-09.ips"_qs, u"panic-08.ips"_qs,
                              u"panic-06.ips"_qs, u"panic-05.ips"_qs, u"panic-05"_qs, u"panic-04.ips"_qs}));
        QCOMPARE(logs[5].text, std::string("ok"));
        QCOMPARE(logs[6].text, std::string());
    }

    void cutToTwoMillionClusters_data() {
        QTest::addColumn<qsizetype>("cluster");
        QTest::addColumn<qsizetype>("behalten");
        QTest::newRow("2,500,000 are cut") << qsizetype(2'500'000) << qsizetype(2'000'000);
        QTest::newRow("exactly 2,000,000 stay whole") << qsizetype(2'000'000) << qsizetype(2'000'000);
        QTest::newRow("a short report stays whole") << qsizetype(12) << qsizetype(12);
    }
    void cutToTwoMillionClusters() {
        QFETCH(qsizetype, cluster);
        QFETCH(qsizetype, behalten);
        const QByteArray text = clusterText(cluster);
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        fakes.entfernen(u"crash"_qs);
        fakes.crashDateiSetzen(u"panic-gross.ips"_qs, text);
        const auto logs = Libimobiledevice(fakes.werkzeugVerzeichnisse()).panicLogsLesen(udid);
        QCOMPARE(logs.size(), 1);
        const QByteArray erwartet = clusterText(behalten);
        QCOMPARE(qsizetype(logs[0].text.size()), erwartet.size());
        QVERIFY(logs[0].text == erwartet.toStdString());
    }

    // A link the phone had is recreated by the tool, but never followed: it could point anywhere.
    void symlinkNotFollowed() {
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        fakes.entfernen(u"crash"_qs);
        fakes.crashDateiSetzen(u"panic-a.ips"_qs, "a");
        QVERIFY(
            QFile::link(fakes.szenario() + u"/info/SerialNumber", fakes.szenario() + u"/crash/panic-z.ips"));
        const auto logs = Libimobiledevice(fakes.werkzeugVerzeichnisse()).panicLogsLesen(udid);
        QCOMPARE(namen(logs), QStringList{u"panic-a.ips"_qs});
    }

    void failuresGiveEmptyLists_data() {
        QTest::addColumn<QString>("fall");
        QTest::newRow("tool missing") << u"fehlt"_qs;
        QTest::newRow("no panic reports") << u"keine"_qs;
        QTest::newRow("phone unplugged") << u"weg"_qs;
        QTest::newRow("phone untrusted") << u"misstraut"_qs;
    }
    void failuresGiveEmptyLists() {
        QFETCH(QString, fall);
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        if (fall == u"fehlt")
            fakes.werkzeugEntfernen(u"idevicecrashreport"_qs);
        else if (fall == u"keine")
            fakes.entfernen(u"crash"_qs);
        else if (fall == u"weg")
            fakes.geraeteSetzen({});
        else
            fakes.vertrauenSetzen(udid, false);
        QVERIFY(Libimobiledevice(fakes.werkzeugVerzeichnisse()).panicLogsLesen(udid).isEmpty());
        // cleanup() checks that no working directory is left.
    }
};

QTEST_GUILESS_MAIN(TestPanicLogs)
#include "tst_paniclogs.moc"
