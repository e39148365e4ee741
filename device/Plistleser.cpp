#include "Plistleser.h"

#include <QXmlStreamReader>
#include <limits>
#include <plist/plist.h>
#include <vector>

namespace kabel {

namespace {

bool xmlFlachGenug(QByteArrayView xml, int hoechstens) {
    QXmlStreamReader leser(QByteArray::fromRawData(xml.data(), xml.size()));
    int tiefe = 0;
    while (!leser.atEnd() && tiefe <= hoechstens) {
        const auto art = leser.readNext();
        const bool behaelter = leser.name() == u"dict" || leser.name() == u"array";
        if (art == QXmlStreamReader::StartElement && behaelter)
            ++tiefe;
        else if (art == QXmlStreamReader::EndElement && behaelter)
            --tiefe;
    }
    return !leser.hasError() && tiefe == 0;
}

// The binary form ("bplist00"): objects reached through an offset table, containers holding
// references to other objects. The height of the root and the size of the tree libplist builds
// from it are found depth-first with an explicit stack that may not grow beyond the limit,
// remembering each object's height and size so that shared objects are measured once (they do not
// depend on where the object is referenced from); a reference back into the current path is a
// cycle.
bool binaerFlachGenug(QByteArrayView daten, int hoechstens) {
    const auto* p = reinterpret_cast<const unsigned char*>(daten.data());
    const quint64 n = quint64(daten.size());
    const auto zahl = [&](quint64 stelle, quint64 breite) -> std::optional<quint64> {
        if (breite < 1 || breite > 8 || stelle > n || breite > n - stelle)
            return std::nullopt;
        quint64 wert = 0;
        for (quint64 i = 0; i < breite; ++i)
            wert = wert << 8 | p[stelle + i];
        return wert;
    };
    if (n < 40)
        return false;
    const quint64 ende = n - 32, offsetBreite = p[ende + 6], refBreite = p[ende + 7];
    const auto anzahl = zahl(ende + 8, 8), wurzel = zahl(ende + 16, 8), tabelle = zahl(ende + 24, 8);
    if (!anzahl || !wurzel || !tabelle || offsetBreite < 1 || offsetBreite > 8 || refBreite < 1 ||
        refBreite > 8 || *wurzel >= *anzahl || *tabelle > ende || *anzahl > (ende - *tabelle) / offsetBreite)
        return false;

    // Where the references of object `objekt` start and how many there are (none for a leaf).
    struct Kinder {
        quint64 anfang = 0, anzahl = 0;
        bool behaelter = false;
    };
    const auto kinder = [&](quint64 objekt) -> std::optional<Kinder> {
        const auto stelle = zahl(*tabelle + objekt * offsetBreite, offsetBreite);
        if (!stelle || *stelle >= ende)
            return std::nullopt;
        const unsigned art = p[*stelle] >> 4, klein = p[*stelle] & 0xF;
        if (art != 0xA && art != 0xC && art != 0xD) // array, set, dictionary
            return Kinder{};
        Kinder k{*stelle + 1, klein, true};
        if (klein == 0xF) { // the count follows as an integer object
            const auto marke = zahl(k.anfang, 1);
            const quint64 breite = marke && (*marke >> 4) == 1 ? 1ull << (*marke & 0xF) : 0;
            const auto wert = zahl(k.anfang + 1, breite);
            if (!wert)
                return std::nullopt;
            k.anfang += 1 + breite;
            k.anzahl = *wert;
        }
        if (art == 0xD)
            k.anzahl *= 2; // keys, then values
        if (k.anfang > ende || k.anzahl > (ende - k.anfang) / refBreite)
            return std::nullopt;
        return k;
    };

    constexpr int unbekannt = -1, inArbeit = -2;
    std::vector<int> hoehe(*anzahl, unbekannt);
    std::vector<quint64> knoten(*anzahl, 1); // at most plistKnotenHoechstens + 1: no overflow
    struct Rahmen {
        quint64 objekt;
        Kinder kinder;
        quint64 naechstes = 0;
        int hoechstesKind = 0;
        quint64 knoten = 1;
    };
    std::vector<Rahmen> pfad;
    // A measured child counts towards its parent; false once the tree grows too large.
    const auto zaehlen = [&](quint64 kind) {
        Rahmen& eltern = pfad.back();
        eltern.hoechstesKind = std::max(eltern.hoechstesKind, hoehe[kind]);
        eltern.knoten = std::min(eltern.knoten + knoten[kind], plistKnotenHoechstens + 1);
        return eltern.knoten <= plistKnotenHoechstens;
    };
    // Measures a leaf at once; a container goes onto the path, unless that would be too deep.
    const auto betreten = [&](quint64 objekt) {
        const auto k = kinder(objekt);
        if (!k || (k->behaelter && int(pfad.size()) >= hoechstens))
            return false;
        hoehe[objekt] = k->behaelter ? inArbeit : 0;
        if (k->behaelter)
            pfad.push_back({objekt, *k});
        return true;
    };
    if (!betreten(*wurzel))
        return false;
    while (!pfad.empty()) {
        if (pfad.back().naechstes == pfad.back().kinder.anzahl) {
            const Rahmen fertig = pfad.back();
            pfad.pop_back();
            hoehe[fertig.objekt] = fertig.hoechstesKind + 1;
            knoten[fertig.objekt] = fertig.knoten;
            if (!pfad.empty() && !zaehlen(fertig.objekt))
                return false;
            continue;
        }
        Rahmen& oben = pfad.back();
        const auto kind = zahl(oben.kinder.anfang + oben.naechstes++ * refBreite, refBreite);
        if (!kind || *kind >= *anzahl || hoehe[*kind] == inArbeit) // a cycle
            return false;
        if (hoehe[*kind] == unbekannt && !betreten(*kind))
            return false;
        if (hoehe[*kind] >= 0 && !zaehlen(*kind))
            return false;
    }
    // Reached again from deeper down, a shared object makes the tree deeper than the path was.
    return hoehe[*wurzel] <= hoechstens;
}

} // namespace

std::unique_ptr<void, void (*)(void*)> plistLesen(QByteArrayView plist) {
    plist_t wurzel = nullptr;
    if (plist.size() <= qsizetype(std::numeric_limits<uint32_t>::max())) {
        // plist_from_memory gained an argument in libplist 2.3; these two read alike in 2.2 and later.
        const auto laenge = static_cast<uint32_t>(plist.size());
        if (plist_is_binary(plist.data(), laenge))
            plist_from_bin(plist.data(), laenge, &wurzel);
        else
            plist_from_xml(plist.data(), laenge, &wurzel);
    }
    return {wurzel, &plist_free};
}

bool flachGenug(QByteArrayView plist, int hoechstens) {
    return plist.startsWith("bplist") ? binaerFlachGenug(plist, hoechstens)
                                      : xmlFlachGenug(plist, hoechstens);
}

} // namespace kabel
