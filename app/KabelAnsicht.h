#pragma once

#include "Ansichtsbeschreibung.h"

#include <QWidget>

class QCheckBox;
class QFrame;
class QGridLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace kabel {

class Einzeiler;
class KabelAblauf;
class Mehrzeiler;
class Spinner;
class SymbolBild;

// The window's content. Keeps no state of its own: after the changes the controller reports in a turn it
// draws the controller's values anew. It writes only the stored option and calls only retry.
class KabelAnsicht : public QWidget {
    Q_OBJECT

public:
    static constexpr int breite = 440;

    explicit KabelAnsicht(KabelAblauf& ablauf, QWidget* parent = nullptr);

    // Shows `ansicht` and fits the height to it. Called after each change of the controller; the
    // screenshot tool calls it with descriptions of made-up states.
    void darstellen(const Ansicht& ansicht);

protected:
    void changeEvent(QEvent* event) override;

private:
    void vormerken();
    void hoeheAnpassen();
    void rasterFuellen(const QList<Rasterzeile>& zeilen);
    void farbenSetzen();
    void ansagen(const QString& text);

    KabelAblauf& m_ablauf;
    bool m_vorgemerkt = false;

    QString m_ansage; // what a screen reader was last told
    QWidget* m_panel;
    Einzeiler* m_untertitel;
    QFrame* m_trennlinie;
    QVBoxLayout* m_panelLayout;
    QWidget* m_meldung;
    SymbolBild* m_meldungSymbol;
    QLabel* m_meldungText;
    QWidget* m_fortschritt;
    Spinner* m_spinner;
    QLabel* m_fortschrittText;
    QWidget* m_raster;
    QGridLayout* m_rasterLayout;
    QList<QLabel*> m_rasterLabels;         // label, value, label, value, …
    QList<Mehrzeiler*> m_rasterMehrzeilig; // per row, in place of the value when it wraps
    QWidget* m_optionen;
    QCheckBox* m_kopplung;
    QLabel* m_datenschutz;
    QWidget* m_hinweis;
    SymbolBild* m_hinweisSymbol;
    QLabel* m_hinweisText;
    QWidget* m_kopierfortschritt;
    QLabel* m_kopierfortschrittText;
    QPushButton* m_erneut;

    QList<Baustein> m_reihenfolge;
};

} // namespace kabel
