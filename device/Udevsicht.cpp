#include "Udevsicht.h"

#ifdef Q_OS_LINUX
#include <QByteArray>
#include <libudev.h>
#include <memory>
#endif

namespace kabel {

#ifdef Q_OS_LINUX

namespace {

// Product ids of Apple's phones (vendor 05ac), as libirecovery's and usbmuxd's udev rules tell
// them apart; 0xf014 is the DFU mode of phones with USB-C ("Port DFU").
std::optional<Usbmodus> modusLaut(const char* hersteller, const char* produkt) {
    bool zahl = false;
    const uint id = QByteArray(produkt).toUInt(&zahl, 16);
    if (QByteArray(hersteller) != "05ac" || !zahl)
        return std::nullopt;
    if (id >= 0x1290 && id <= 0x12af)
        return Usbmodus::normal;
    if (id >= 0x1280 && id <= 0x1283)
        return Usbmodus::wiederherstellung;
    if (id == 0x1222 || id == 0x1227 || id == 0xf014)
        return Usbmodus::dfu;
    return std::nullopt;
}

template <auto freigeben> struct Udev {
    template <typename T> void operator()(T* objekt) const { freigeben(objekt); }
};

} // namespace

std::optional<QList<Usbmodus>> Udevsicht::appleGeraete() const {
    // A context of its own per call: libudev's objects are not safe to share between threads.
    const std::unique_ptr<udev, Udev<udev_unref>> kontext(udev_new());
    if (!kontext)
        return std::nullopt;
    const std::unique_ptr<udev_enumerate, Udev<udev_enumerate_unref>> suche(
        udev_enumerate_new(kontext.get()));
    // Whole devices only: their interfaces are listed under "usb" too.
    if (!suche || udev_enumerate_add_match_subsystem(suche.get(), "usb") < 0 ||
        udev_enumerate_add_match_property(suche.get(), "DEVTYPE", "usb_device") < 0 ||
        udev_enumerate_scan_devices(suche.get()) < 0)
        return std::nullopt;
    bool busGesehen = false; // every bus has a root hub
    QList<Usbmodus> geraete;
    udev_list_entry* eintrag = nullptr;
    udev_list_entry_foreach(eintrag, udev_enumerate_get_list_entry(suche.get())) {
        const std::unique_ptr<udev_device, Udev<udev_device_unref>> geraet(
            udev_device_new_from_syspath(kontext.get(), udev_list_entry_get_name(eintrag)));
        if (!geraet)
            continue;
        busGesehen = true;
        if (const auto modus = modusLaut(udev_device_get_sysattr_value(geraet.get(), "idVendor"),
                                         udev_device_get_sysattr_value(geraet.get(), "idProduct")))
            geraete.append(*modus);
    }
    if (!busGesehen)
        return std::nullopt;
    return geraete;
}

#else

std::optional<QList<Usbmodus>> Udevsicht::appleGeraete() const {
    return std::nullopt;
}

#endif

} // namespace kabel
