#pragma once

#include <QString>

namespace kabel {

// The step of a check. Three cases carry the German text the window shows.
class Schritt {
public:
    enum class Fall {
        ohneLink,
        linkUngueltig,
        wartetAufGeraet,
        wartetAufVertrauen,
        liest,
        sendet,
        fertig,
        fehler
    };

    static Schritt ohneLink() { return Schritt(Fall::ohneLink); }
    static Schritt linkUngueltig(QString text) { return Schritt(Fall::linkUngueltig, std::move(text)); }
    static Schritt wartetAufGeraet() { return Schritt(Fall::wartetAufGeraet); }
    static Schritt wartetAufVertrauen() { return Schritt(Fall::wartetAufVertrauen); }
    static Schritt liest() { return Schritt(Fall::liest); }
    static Schritt sendet() { return Schritt(Fall::sendet); }
    static Schritt fertig(QString text) { return Schritt(Fall::fertig, std::move(text)); }
    static Schritt fehler(QString text) { return Schritt(Fall::fehler, std::move(text)); }

    Fall fall() const { return m_fall; }
    // The text of linkUngueltig, fertig and fehler; empty for the other cases.
    const QString& text() const { return m_text; }

private:
    explicit Schritt(Fall fall, QString text = {}) : m_fall(fall), m_text(std::move(text)) {}

    Fall m_fall;
    QString m_text;
};

// The case's name, for the log; the text may quote what Werkora said, so it is left out there.
inline const char* fallName(Schritt::Fall fall) {
    static constexpr const char* namen[] = {
        "ohneLink", "linkUngueltig", "wartetAufGeraet", "wartetAufVertrauen",
        "liest",    "sendet",        "fertig",          "fehler"};
    return namen[int(fall)];
}

} // namespace kabel
