#include "Plistleser.h"

#include <QXmlStreamReader>
#include <limits>
#include <plist/plist.h>

namespace kabel {

bool flachGenug(QByteArrayView plist, int hoechstens) {
    if (plist.startsWith("bplist"))
        return false;
    QXmlStreamReader leser(QByteArray::fromRawData(plist.data(), plist.size()));
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

std::unique_ptr<void, void (*)(void*)> plistLesen(QByteArrayView plist) {
    plist_t wurzel = nullptr;
    // plist_from_xml reads alike in libplist 2.2 and later.
    if (plist.size() <= qsizetype(std::numeric_limits<uint32_t>::max()))
        plist_from_xml(plist.data(), static_cast<uint32_t>(plist.size()), &wurzel);
    return {wurzel, &plist_free};
}

} // namespace kabel
