// The USB view against umockdev's emulated device tree, never the machine's real bus: CTest runs
// this with umockdev's preload library (by hand: umockdev-wrapper), which sends /sys to the row's tree.
#include "Testumgebung.h"
#include "device/Udevsicht.h"

#include <umockdev.h>

using namespace kabel;
using namespace kabel::test;

class TestUsb : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariable("LD_PRELOAD").contains("libumockdev-preload"),
                 "run under umockdev-wrapper, so the real bus is never read");
    }

    void sicht_data() { tabelle(QFINDTESTDATA("daten/usb.txt"), {"geraete", "sicht"}); }
    void sicht() {
        UMockdevTestbed* bett = umockdev_testbed_new();
        int nummer = 0;
        for (const QByteArray& geraet : spalte("geraete").split(' ')) // vendor:product
            if (!geraet.isEmpty())
                g_free(umockdev_testbed_add_device(bett, "usb", "1-" + QByteArray::number(++nummer), nullptr,
                                                   "idVendor", geraet.left(4).constData(), "idProduct",
                                                   geraet.mid(5).constData(), nullptr, "DEVTYPE",
                                                   "usb_device", nullptr));
        const std::optional<QList<Usbmodus>> sicht = Udevsicht().appleGeraete();
        g_object_unref(bett);
        QStringList modi;
        for (const Usbmodus modus : sicht.value_or(QList<Usbmodus>()))
            modi << QStringList{"normal", "wiederherstellung", "dfu"}.at(int(modus));
        modi.sort();
        QTEST((!sicht ? "(keine Sicht)" : modi.isEmpty() ? "keine" : modi.join(',')).toUtf8(), "sicht");
    }
};

KABEL_TEST_MAIN(TestUsb)
#include "tst_usb.moc"
