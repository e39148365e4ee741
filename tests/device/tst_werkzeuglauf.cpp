// The tool runner against small real programs written into a temporary directory.
#include "device/Libimobiledevice.h"
#include "device/Werkzeuglauf.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <future>
#include <thread>

using namespace kabel;

class TestWerkzeuglauf : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;

    QString verzeichnis(const QString& name) {
        const QString pfad = m_tmp.path() + u'/' + name + u'/';
        QDir().mkpath(pfad);
        return pfad;
    }

    // A shell script `name` in `dir` with the given body; executable unless told otherwise.
    static void skript(const QString& dir, const QString& name, const QByteArray& rumpf,
                       bool ausfuehrbar = true) {
        QFile datei(dir + name);
        QVERIFY(datei.open(QIODevice::WriteOnly | QIODevice::Truncate));
        datei.write("#!/bin/sh\n" + rumpf + '\n');
        datei.close();
        QFile::Permissions rechte = QFile::ReadOwner | QFile::WriteOwner;
        if (ausfuehrbar)
            rechte |= QFile::ExeOwner;
        QVERIFY(datei.setPermissions(rechte));
    }

private Q_SLOTS:
    void lookupOrder_data() {
        QTest::addColumn<QStringList>("belegung"); // per directory a, b, c: "x" executable, "-" not, "" none
        QTest::addColumn<QString>("erwartet");     // directory that runs, or "" for werkzeugFehlt

        QTest::newRow("first directory wins") << QStringList{u"x"_qs, u"x"_qs, u"x"_qs} << u"a"_qs;
        QTest::newRow("only in the last") << QStringList{{}, {}, u"x"_qs} << u"c"_qs;
        QTest::newRow("non-executable passed over") << QStringList{u"-"_qs, {}, u"x"_qs} << u"c"_qs;
        QTest::newRow("only non-executable") << QStringList{{}, {}, u"-"_qs} << QString();
        QTest::newRow("nowhere") << QStringList{{}, {}, {}} << QString();
    }
    void lookupOrder() {
        QFETCH(QStringList, belegung);
        QFETCH(QString, erwartet);
        const QString fall = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_');
        QStringList dirs;
        for (const QString& teil : {u"a"_qs, u"b"_qs, u"c"_qs}) {
            const QString dir = verzeichnis(fall + u'/' + teil);
            dirs.append(dir);
            const QString art = belegung[dirs.size() - 1];
            if (!art.isEmpty())
                skript(dir, u"werkzeug"_qs, "echo " + teil.toUtf8(), art == u"x");
        }
        // A directory given without its trailing slash is joined with one.
        dirs[1].chop(1);
        const Libimobiledevice zugriff(dirs);
        const auto lauf = zugriff.ausfuehren(u"werkzeug"_qs, {});
        if (erwartet.isEmpty()) {
            QVERIFY(!lauf);
            QCOMPARE(std::get<ZugriffFehler>(lauf.error()), ZugriffFehler::werkzeugFehlt());
            QVERIFY(!zugriff.werkzeugPfad(u"werkzeug"_qs));
        } else {
            QVERIFY(lauf);
            QCOMPARE(lauf->ausgabe, erwartet.toUtf8() + '\n');
        }
    }

    void lookupIsRepeatedOnEveryCall() {
        const QString dir = verzeichnis(u"spaeter"_qs);
        const Libimobiledevice zugriff({dir});
        QVERIFY(!zugriff.ausfuehren(u"neu"_qs, {}));
        skript(dir, u"neu"_qs, "exit 0");
        QVERIFY(zugriff.ausfuehren(u"neu"_qs, {}));
    }

    void defaultDirectories() {
        // The test binary has no share/sondit-kabel beside it, so the search starts in Homebrew's.
        const QString ressourcen = QCoreApplication::applicationDirPath() + u"/../share/sondit-kabel";
        QVERIFY(!QFileInfo::exists(ressourcen));
        QCOMPARE(Libimobiledevice::werkzeugVerzeichnisse(),
                 (QStringList{u"/opt/homebrew/bin/"_qs, u"/usr/local/bin/"_qs}));

        QVERIFY(QDir().mkpath(ressourcen));
        const auto aufraeumen = qScopeGuard([&] { QDir(ressourcen).removeRecursively(); });
        const QStringList mitRessourcen = Libimobiledevice::werkzeugVerzeichnisse();
        QCOMPARE(mitRessourcen.size(), 3);
        QCOMPARE(mitRessourcen[0], QDir::cleanPath(ressourcen) + u"/bin/");
        QCOMPARE(mitRessourcen.mid(1), (QStringList{u"/opt/homebrew/bin/"_qs, u"/usr/local/bin/"_qs}));
    }

    void argumentsVerbatim() {
        const QString dir = verzeichnis(u"argumente"_qs);
        skript(dir, u"zeigen"_qs, R"(for a in "$@"; do printf '[%s]' "$a"; done)");
        const auto lauf = Libimobiledevice({dir}).ausfuehren(
            u"zeigen"_qs, {u"-u"_qs, u"a b"_qs, u""_qs, u"$HOME"_qs, u"*"_qs, u"Ünï"_qs});
        QVERIFY(lauf);
        QCOMPARE(QString::fromUtf8(lauf->ausgabe), u"[-u][a b][][$HOME][*][Ünï]"_qs);
    }

    void statusAndOutput_data() {
        QTest::addColumn<QByteArray>("rumpf");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("ausgabe");

        QTest::newRow("status 1 and nothing printed") << QByteArray("exit 1") << 1 << QByteArray();
        QTest::newRow("status 255 with output") << QByteArray("echo x; exit 255") << 255 << QByteArray("x\n");
        QTest::newRow("stderr is not output")
            << QByteArray("echo aus; echo fehler >&2; echo gabe") << 0 << QByteArray("aus\ngabe\n");
        QTest::newRow("killed by a signal")
            << QByteArray("echo vorher; kill -9 $$") << 128 + 9 << QByteArray("vorher\n");
        QTest::newRow("binary bytes unaltered")
            << QByteArray(R"(printf 'a\000b\377\r\n')") << 0 << QByteArray("a\0b\xff\r\n", 6);
    }
    void statusAndOutput() {
        QFETCH(QByteArray, rumpf);
        QFETCH(int, status);
        QFETCH(QByteArray, ausgabe);
        const QString dir = verzeichnis(u"status"_qs);
        skript(dir, u"t"_qs, rumpf);
        const auto lauf = Libimobiledevice({dir}).ausfuehren(u"t"_qs, {});
        QVERIFY(lauf);
        QCOMPARE(lauf->status, status);
        QCOMPARE(lauf->ausgabe, ausgabe);
    }

    // 64 MB on stderr and 8 MB on stdout: neither pipe may stall the child.
    void largeStderrDoesNotStall() {
        const QString dir = verzeichnis(u"viel"_qs);
        skript(dir, u"viel"_qs,
               "head -c 67108864 /dev/zero >&2; head -c 8388608 /dev/zero | tr '\\0' 'a'; echo ende >&2");
        const auto lauf = Libimobiledevice({dir}).ausfuehren(u"viel"_qs, {});
        QVERIFY(lauf);
        QCOMPARE(lauf->status, 0);
        QCOMPARE(lauf->ausgabe.size(), 8388608);
        QCOMPARE(lauf->ausgabe.count('a'), 8388608);
    }

    // The launch error is Qt's own text, the one QProcess gives for the same file.
    void launchErrorPassedOnUnchanged() {
        const QString dir = verzeichnis(u"start"_qs);
        QFile datei(dir + u"kaputt");
        QVERIFY(datei.open(QIODevice::WriteOnly));
        datei.write("#!/nicht/vorhanden/interpreter\n");
        datei.close();
        QVERIFY(datei.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        QProcess vergleich;
        vergleich.start(dir + u"kaputt", {});
        QVERIFY(!vergleich.waitForStarted(-1));

        const auto lauf = Libimobiledevice({dir}).ausfuehren(u"kaputt"_qs, {});
        QVERIFY(!lauf);
        const auto* fehler = std::get_if<StartFehler>(&lauf.error());
        QVERIFY(fehler);
        QVERIFY(!fehler->beschreibung.isEmpty());
        QCOMPARE(fehler->beschreibung, vergleich.errorString());
        QCOMPARE(beschreibung(lauf.error()), vergleich.errorString());
    }

    void worksOnPlainThreads() {
        const QString dir = verzeichnis(u"faeden"_qs);
        skript(dir, u"echo"_qs, R"(printf '%s' "$1")");
        const Libimobiledevice zugriff({dir});
        std::vector<std::future<QByteArray>> ergebnisse;
        for (int i = 0; i < 4; ++i)
            ergebnisse.push_back(std::async(std::launch::async, [zugriff, i] {
                QByteArray alles;
                for (int k = 0; k < 5; ++k)
                    alles += zugriff.ausfuehren(u"echo"_qs, {QString::number(i)}).value().ausgabe;
                return alles;
            }));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(ergebnisse[i].get(), QByteArray::number(i).repeated(5));
    }

    void endRunningTools() {
        const QString dir = verzeichnis(u"haengt"_qs);
        const QString merker = m_tmp.path() + u"/haengt-gestartet";
        // Marks its start, then waits an hour without a child process (read -t inside bash).
        QFile datei(dir + u"haengt");
        QVERIFY(datei.open(QIODevice::WriteOnly));
        datei.write("#!/usr/bin/env bash\n: > \"$1\"\nread -r -t 3600 <> <(:)\necho nie\n");
        datei.close();
        QVERIFY(datei.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        const Libimobiledevice zugriff({dir});
        std::promise<Ergebnis<Werkzeugergebnis>> versprechen;
        auto ergebnis = versprechen.get_future();
        std::thread faden([&] { versprechen.set_value(zugriff.ausfuehren(u"haengt"_qs, {merker})); });
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(merker), 10000);

        QElapsedTimer uhr;
        uhr.start();
        laufendeWerkzeugeBeenden();
        const bool fertig = ergebnis.wait_for(std::chrono::seconds(1)) == std::future_status::ready;
        if (!fertig) {
            // Do not leave the thread blocked for an hour if the kill failed.
            ergebnis.wait();
        }
        faden.join();
        QVERIFY2(fertig, "the tool was still running a second after laufendeWerkzeugeBeenden()");
        const auto lauf = ergebnis.get();
        QVERIFY(lauf);
        QVERIFY(lauf->status != 0);
        QVERIFY(lauf->ausgabe.isEmpty());

        // Later runs are not affected.
        skript(dir, u"danach"_qs, "echo ok");
        QCOMPARE(zugriff.ausfuehren(u"danach"_qs, {}).value().ausgabe, QByteArray("ok\n"));
    }

    void ausgabeText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");

        QTest::newRow("trimmed") << QByteArray("  abc\n\n") << u"abc"_qs;
        QTest::newRow("white space only") << QByteArray(" \t\r\n ") << QString();
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("inner white space kept") << QByteArray("\ta  b\r\nc \n") << u"a  b\r\nc"_qs;
        QTest::newRow("unicode spaces trimmed") << QByteArray("\xc2\xa0x\xe2\x80\xa8") << u"x"_qs;
        QTest::newRow("invalid byte") << QByteArray("ab\xff"
                                                    "cd\n")
                                      << u"ab\uFFFDcd"_qs;
        QTest::newRow("truncated sequence at the end") << QByteArray("iPhone\xe2\x82") << u"iPhone\uFFFD"_qs;
        QTest::newRow("valid umlauts") << QByteArray("Gr\xc3\xbc\xc3\x9f"
                                                     "e\n")
                                       << u"Grüße"_qs;
    }
    void ausgabeText() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Libimobiledevice::ausgabeText(bytes), text);
    }

public:
    TestWerkzeuglauf() { m_tmp.setAutoRemove(true); }
};

QTEST_GUILESS_MAIN(TestWerkzeuglauf)
#include "tst_werkzeuglauf.moc"
