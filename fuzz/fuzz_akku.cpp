// Battery answers from a hostile or broken tool: reading one never crashes, hangs or trips a
// sanitizer. The depth check guards libplist's recursion, so whatever it lets through is parsed
// here once more and measured on libplist's own tree: the guard must read the format as libplist
// does, or a deeper answer than it admits reaches the parser.
#include "device/Akkuantwort.h"
#include "device/Plistleser.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <plist/plist.h>
#include <vector>

namespace {

constexpr int grenze = 32;

// Nesting of dictionaries and arrays in a parsed tree, without recursion.
int behaeltertiefe(plist_t wurzel) {
    std::vector<std::pair<plist_t, int>> offen{{wurzel, 1}};
    int tiefste = 0;
    while (!offen.empty()) {
        const auto [knoten, ebene] = offen.back();
        offen.pop_back();
        if (plist_get_node_type(knoten) == PLIST_ARRAY) {
            tiefste = std::max(tiefste, ebene);
            for (uint32_t i = 0; i < plist_array_get_size(knoten); ++i)
                offen.emplace_back(plist_array_get_item(knoten, i), ebene + 1);
        } else if (plist_get_node_type(knoten) == PLIST_DICT) {
            tiefste = std::max(tiefste, ebene);
            plist_dict_iter iter = nullptr;
            plist_dict_new_iter(knoten, &iter);
            for (plist_t wert = nullptr;;) {
                plist_dict_next_item(knoten, iter, nullptr, &wert);
                if (!wert)
                    break;
                offen.emplace_back(wert, ebene + 1);
            }
            std::free(iter);
        }
    }
    return tiefste;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
    const QByteArray antwort(reinterpret_cast<const char*>(daten), qsizetype(groesse));

    if (kabel::flachGenug(antwort, grenze)) {
        const auto wurzel = kabel::plistLesen(antwort); // read as the product reads it
        const int tiefe = wurzel ? behaeltertiefe(wurzel.get()) : 0;
        if (tiefe > grenze) {
            std::fprintf(stderr, "\nfuzz_akku: passed as at most %d levels, libplist built %d\n", grenze,
                         tiefe);
            std::abort();
        }
    }

    if (const auto akku = kabel::akkudatenAusAntwort(antwort)) {
        // Documented as never above 100, whatever the figures.
        if (const auto prozent = kabel::zustandProzent(*akku); prozent && *prozent > 100) {
            std::fprintf(stderr, "\nfuzz_akku: battery health %lld %%\n", static_cast<long long>(*prozent));
            std::abort();
        }
    }
    return 0;
}
