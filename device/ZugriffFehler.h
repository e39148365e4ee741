#pragma once

#include <QString>
#include <variant>

namespace kabel {

// The error type of device access.
class ZugriffFehler {
public:
    // usbDienstFehlt: the listing failed and no usbmuxd is installed; usbDienstAntwortetNicht:
    // the listing failed though usbmuxd is installed (on Linux it starts when a phone is plugged in).
    enum class Fall { lesen, werkzeugFehlt, nichtGekoppelt, usbDienstFehlt, usbDienstAntwortetNicht };

    static ZugriffFehler lesen(QString text) { return ZugriffFehler(Fall::lesen, std::move(text)); }
    static ZugriffFehler werkzeugFehlt() { return ZugriffFehler(Fall::werkzeugFehlt, {}); }
    static ZugriffFehler nichtGekoppelt() { return ZugriffFehler(Fall::nichtGekoppelt, {}); }
    static ZugriffFehler usbDienstFehlt() { return ZugriffFehler(Fall::usbDienstFehlt, {}); }
    static ZugriffFehler usbDienstAntwortetNicht() {
        return ZugriffFehler(Fall::usbDienstAntwortetNicht, {});
    }

    Fall fall() const { return m_fall; }
    // The German text shown to the user; for `lesen` the text it carries, unchanged.
    QString beschreibung() const;

    friend bool operator==(const ZugriffFehler&, const ZugriffFehler&) = default;

private:
    ZugriffFehler(Fall fall, QString text) : m_fall(fall), m_text(std::move(text)) {}

    Fall m_fall;
    QString m_text;
};

// A tool that was found but could not be started.
struct StartFehler {
    QString beschreibung;
    friend bool operator==(const StartFehler&, const StartFehler&) = default;
};

// A tool that was killed: silent on stdout for too long, or writing far more than any answer.
struct Abgebrochen {
    friend bool operator==(const Abgebrochen&, const Abgebrochen&) = default;
};

// Every failure a device operation can report.
using Fehler = std::variant<ZugriffFehler, StartFehler, Abgebrochen>;

// `lesen` with "Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen."
ZugriffFehler iPhoneAntwortetNicht();
// `lesen` with "Die Verbindung zum iPhone wurde getrennt. Bitte wieder anschließen und erneut versuchen."
ZugriffFehler iPhoneGetrennt();

// The text shown to the user for a failure: the error's own description.
QString beschreibung(const Fehler& fehler);

} // namespace kabel
