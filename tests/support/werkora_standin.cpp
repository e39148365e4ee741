// A stand-in for the Werkora service on 127.0.0.1, for the demo and the benchmarks: it answers the
// lookup with a workshop name, accepts the report, and prints each request (and the report,
// pretty-printed) on standard output.
#include "Testdienst.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QUrl>

using kabel::test::Anfrage;
using kabel::test::Antwort;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser optionen;
    optionen.addHelpOption();
    const QCommandLineOption werkstattOption(QStringLiteral("werkstatt"), QStringLiteral("Workshop name in the lookup answer."),
                                             QStringLiteral("name"), QStringLiteral("Handy-Werkstatt Musterstadt"));
    const QCommandLineOption stumm(QStringLiteral("quiet"), QStringLiteral("Print only the address line."));
    const QCommandLineOption einmal(QStringLiteral("exit-after-report"), QStringLiteral("Exit once a report arrived."));
    optionen.addOptions({werkstattOption, stumm, einmal});
    optionen.process(app);

    QTextStream aus(stdout);
    kabel::test::Testdienst dienst;
    const QString werkstatt = optionen.value(werkstattOption);
    dienst.setAntwort([werkstatt](const Anfrage& anfrage) {
        if (anfrage.methode == "GET")
            return Antwort{200, QJsonDocument(QJsonObject{{QStringLiteral("werkstatt"), werkstatt}}).toJson(QJsonDocument::Compact),
                           "application/json", {}, false};
        return Antwort{200, "{}", "application/json", {}, false};
    });
    QObject::connect(&dienst, &kabel::test::Testdienst::angefragt, &app, [&](const Anfrage& anfrage) {
        if (!optionen.isSet(stumm)) {
            aus << QString::fromLatin1(anfrage.methode) << ' ' << QString::fromUtf8(anfrage.pfad) << '\n';
            if (anfrage.methode == "POST") {
                const QJsonDocument bericht = QJsonDocument::fromJson(anfrage.inhalt);
                aus << (bericht.isNull() ? QString::fromUtf8(anfrage.inhalt) : QString::fromUtf8(bericht.toJson(QJsonDocument::Indented)))
                    << '\n';
            }
            aus.flush();
        }
        if (anfrage.methode == "POST" && optionen.isSet(einmal))
            QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });

    aus << "Werkora stand-in at " << dienst.adresse(QStringLiteral("/")).toString() << '\n';
    aus << "Link: " << dienst.link(QStringLiteral("/api/public/kabel/demo-token")).toString(QUrl::FullyEncoded) << '\n';
    aus.flush();
    return app.exec();
}
