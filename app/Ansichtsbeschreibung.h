#pragma once

#include "device/Akkudaten.h"
#include "device/Geraetedaten.h"
#include "device/Panicbefund.h"
#include "flow/Schritt.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

namespace kabel {

class KabelAblauf;

// Everything the window shows, taken from the controller at one moment.
struct Zustand {
    Schritt schritt = Schritt::ohneLink();
    std::optional<QUrl> ziel;
    std::optional<QString> werkstatt;
    std::optional<Geraetedaten> geraet;
    std::optional<Akkudaten> akku;
    qint64 panicAnzahl = 0;
    bool kopplungEntfernen = true;
    // The waiting text names the Mac there and "diesen Computer" everywhere else.
    bool mac = false;
    bool linkWirdGeprueft = false;
    std::optional<QString> hinweis;
    std::optional<QString> kopierfortschritt;
    Panicbefund panicBefund = {};
};

// The controller's current values, read through its getters.
Zustand zustandVon(const KabelAblauf& ablauf);

enum class Symbol { klicken, warnung, erledigt };
enum class Farbrolle { sekundaer, orange, gruen };

struct Meldung {
    Symbol symbol = Symbol::klicken;
    Farbrolle farbe = Farbrolle::sekundaer;
    QString text;
    friend bool operator==(const Meldung&, const Meldung&) = default;
};

struct Rasterzeile {
    QString bezeichnung;
    QString wert;
    bool festbreite = false; // value in the monospaced font
    int zeilen = 1;          // more: the value wraps onto at most so many lines, cut after them
    QString tooltip = {};    // plain text
    friend bool operator==(const Rasterzeile&, const Rasterzeile&) = default;
};

// The blocks of the step panel; Ansicht::reihenfolge lists the shown ones top to bottom.
enum class Baustein { meldung, fortschritt, hinweis, kopierfortschritt, raster, optionen, erneutVersuchen };

struct Ansicht {
    QString untertitel;
    std::optional<Meldung> meldung;
    std::optional<QString> fortschritt;
    std::optional<QString> hinweis;           // under the progress row while waiting
    std::optional<QString> kopierfortschritt; // under the progress row while reading
    QList<Rasterzeile> raster;                // empty: no grid and no space for it
    bool optionAn = true;                     // the stored option, shown by the toggle
    QList<Baustein> reihenfolge;
    int abstand = 0; // spacing between the panel's blocks
    // What a screen reader is told when it changes: the step's text and a hint, not the copy's progress.
    QString ansage;

    bool zeigt(Baustein baustein) const { return reihenfolge.contains(baustein); }
};

// The window's content for a state. Pure: the same state always gives the same description.
Ansicht ansichtFuer(const Zustand& zustand);

// The header's second line: workshop and host, the host alone, or the default line.
QString untertitelFuer(const std::optional<QString>& werkstatt, const std::optional<QUrl>& ziel);
// The data grid's rows; empty without a device record. A battery record without the figures
// shown says "nicht lesbar", as a missing IMEI does.
QList<Rasterzeile> rasterFuer(const std::optional<Geraetedaten>& geraet, const std::optional<Akkudaten>& akku,
                              qint64 panicAnzahl, const Panicbefund& panicBefund = {});

} // namespace kabel
