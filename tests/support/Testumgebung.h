#pragma once

#include "device/Akkudaten.h"
#include "device/Geraetedaten.h"
#include "flow/Schritt.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace kabel {

// Tests compare steps as values, the same case with the same text, and write them "fall: text".
inline bool operator==(const Schritt& a, const Schritt& b) {
    return a.fall() == b.fall() && a.text() == b.text();
}
inline char* toString(const Schritt& schritt) {
    return QTest::toString(fallName(schritt.fall()) + (": " + schritt.text()));
}
inline Schritt schrittAus(const QString& text) {
    const QString rest = text.section(": ", 1);
    for (const Schritt& schritt :
         {Schritt::ohneLink(), Schritt::linkUngueltig(rest), Schritt::wartetAufGeraet(),
          Schritt::wartetAufVertrauen(), Schritt::liest(), Schritt::sendet(), Schritt::fertig(rest),
          Schritt::fehler(rest)})
        if (text.section(": ", 0, 0) == fallName(schritt.fall()))
            return schritt;
    return Schritt::fehler("unknown step " + text);
}

} // namespace kabel

namespace kabel::test {

// HOME, the XDG directories and TMPDIR fresh for the process: tests never touch the user's files or sockets.
struct Testumgebung {
    QTemporaryDir wurzel{QDir::tempPath() + "/kabel-test-XXXXXX"};
    Testumgebung() {
        for (const char* name :
             {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
            const QString pfad = wurzel.path() + '/' + QString(name).toLower();
            QDir().mkdir(pfad, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv(name, QFile::encodeName(pfad));
        }
    }
};

inline QString festbreitenFamilie() { // the window tests' monospace: KABEL_FESTBREITE or DejaVu Sans Mono
    return qEnvironmentVariable("KABEL_FESTBREITE", "DejaVu Sans Mono");
}

// The tests' own fontconfig, set before the application exists and inherited by child processes: only
// DejaVu Sans and festbreitenFamilie(), so a window is laid out alike whatever fonts the machine has.
inline void schriftenFestlegen(const QTemporaryDir& wurzel) {
    const QString pfad = wurzel.filePath("fonts.conf");
    QFile datei(pfad);
    if (!datei.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(pfad));
    datei.write(QString(R"(<?xml version="1.0"?>
<fontconfig>
  <dir>/usr/share/fonts/truetype/dejavu</dir>
  <dir>/usr/share/fonts/truetype/noto</dir>
  <cachedir>%1</cachedir>
  <cachedir>/var/cache/fontconfig</cachedir>
  <alias binding="same"><family>monospace</family><prefer><family>%2</family></prefer></alias>
  <match><edit name="family" mode="append_last"><string>DejaVu Sans</string></edit></match>
</fontconfig>
)")
                    .arg(wurzel.filePath("fontconfig"), festbreitenFamilie().toHtmlEscaped())
                    .toUtf8());
    qputenv("FONTCONFIG_FILE", QFile::encodeName(pfad));
}

inline QByteArray inhalt(const QString& pfad) { // the file's content, or "missing" and its path
    QFile datei(pfad);
    return datei.open(QIODevice::ReadOnly) ? datei.readAll() : "missing " + QFile::encodeName(pfad);
}

// A QTest data table of byte columns from a file beside the test: one row per line, its name and then
// one field per column, all separated by " | ", the last taking the rest of the line; "#" starts a
// comment line. In a field, C escapes (\n \r \t \\ \xHH) stand for any byte, "\{N:text}" for text (no
// "}" in it) N times, and "@path" for the content of that file, relative to the table.
inline QByteArray feld(const QByteArray& text, const QDir& hier) {
    if (text.startsWith('@'))
        return inhalt(hier.filePath(QString::fromUtf8(text.mid(1))));
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i] == '\\' && i + 1 < text.size() ? text[++i] : 0;
        if (c == 'x')
            bytes += char(text.mid(i + 1, 2).toInt(nullptr, 16)), i += 2;
        else if (c == '{') {
            const qsizetype mal = text.indexOf(':', i), ende = text.indexOf('}', mal);
            bytes +=
                feld(text.mid(mal + 1, ende - mal - 1), hier).repeated(text.mid(i + 1, mal - i - 1).toInt());
            i = ende;
        } else
            bytes += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c ? c : text[i];
    }
    return bytes;
}
inline const QByteArray& spalte(const char* name) { // of the current row, in place of QFETCH
    return *static_cast<const QByteArray*>(QTest::qData(name, QMetaType::QByteArray));
}
inline void tabelle(const QString& pfad, const QList<const char*>& spalten) {
    for (const char* spalte : spalten)
        QTest::addColumn<QByteArray>(spalte);
    QFile datei(pfad);
    QVERIFY2(datei.open(QIODevice::ReadOnly), qPrintable(pfad));
    for (const QString& zeile : QString::fromUtf8(datei.readAll()).split('\n', Qt::SkipEmptyParts)) {
        QStringList felder = zeile.split(" | ");
        if (zeile.startsWith('#'))
            continue;
        QVERIFY2(felder.size() > spalten.size(), qPrintable(zeile));
        felder = felder.mid(0, spalten.size()) << felder.mid(spalten.size()).join(" | ");
        QTestData& reihe = QTest::newRow(qPrintable(felder.first()));
        for (const QString& text : felder.mid(1))
            reihe << feld(text.toUtf8(), QFileInfo(pfad).dir());
    }
}

// A table of one bool column: the row `nein` with false, the row `ja` with true.
inline void jaNein(const char* spalte, const char* nein, const char* ja) {
    QTest::addColumn<bool>(spalte);
    QTest::newRow(nein) << false;
    QTest::newRow(ja) << true;
}

// Records written in table files. Identity: "produkt;ios;serial;imei;imei2;activation", empty parts
// unknown. Battery: "cycles/design/actual/temperature", "?" unknown; an empty text is no record.
inline std::optional<QString> text(const QString& feld) {
    return feld.isEmpty() ? std::nullopt : std::optional(feld);
}
inline Geraetedaten geraetAus(const QString& text) {
    const QStringList t = text.split(';');
    return {t[0], test::text(t[1]), test::text(t[2]), test::text(t[3]), test::text(t[4]), test::text(t[5])};
}
inline std::optional<Akkudaten> akkuAus(const QByteArray& text) {
    const QList<QByteArray> z = text.split('/');
    const auto zahl = [&](int i) { return z[i] == "?" ? std::nullopt : std::optional(z[i].toLongLong()); };
    const auto grad = z.value(3) == "?" ? std::nullopt : std::optional(z.value(3).toDouble());
    return text.isEmpty() ? std::nullopt : std::optional(Akkudaten{zahl(0), zahl(1), zahl(2), grad});
}

} // namespace kabel::test

// QTEST_MAIN with the isolated environment and fonts set before the application, offscreen unless chosen.
#define KABEL_TEST_MAIN_MIT(Anwendung, Klasse)                                                               \
    int main(int argc, char** argv) {                                                                        \
        kabel::test::Testumgebung umgebung;                                                                  \
        kabel::test::schriftenFestlegen(umgebung.wurzel);                                                    \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                  \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                         \
        Anwendung app(argc, argv);                                                                           \
        Klasse test;                                                                                         \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
#define KABEL_TEST_MAIN(Klasse) KABEL_TEST_MAIN_MIT(QCoreApplication, Klasse)
