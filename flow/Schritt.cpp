#include "Schritt.h"

namespace kabel {

bool operator==(const Schritt& a, const Schritt& b) {
    if (a.m_fall != b.m_fall)
        return false;
    if (a.m_text == b.m_text)
        return true;
    return a.m_text.normalized(QString::NormalizationForm_C) ==
           b.m_text.normalized(QString::NormalizationForm_C);
}

const char* fallName(Schritt::Fall fall) {
    switch (fall) {
    case Schritt::Fall::ohneLink:
        return "ohneLink";
    case Schritt::Fall::linkUngueltig:
        return "linkUngueltig";
    case Schritt::Fall::wartetAufGeraet:
        return "wartetAufGeraet";
    case Schritt::Fall::wartetAufVertrauen:
        return "wartetAufVertrauen";
    case Schritt::Fall::liest:
        return "liest";
    case Schritt::Fall::sendet:
        return "sendet";
    case Schritt::Fall::fertig:
        return "fertig";
    case Schritt::Fall::fehler:
        return "fehler";
    }
    return "?";
}

} // namespace kabel
