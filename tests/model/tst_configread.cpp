// The configuration read against the simulated device of every model byte: the identity,
// the model with its variant bits and both record blocks as the device holds them.
#include "configread.h"
#include "simbench.h"

#include <QTest>

using namespace vantelso;

class TestConfigRead : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaultImages() {
        for (int model = 0; model <= 9; ++model) {
            SimBench b{quint8(model), quint8(model == 3 ? 0x20 : 0)};
            Catalogue catalogue;
            const auto read = ReadConfiguration(b.link, catalogue);
            QVERIFY(read);
            QCOMPARE(read->identity, b.device.identity());
            QCOMPARE(read->model, b.device.modelIdentifier());
            QCOMPARE(read->mainBlock, b.device.bank(0).left(MainBlockSize));
            QCOMPARE(read->extensionBlock.isEmpty(), !HasExtensionBlock(read->identity));
        }
    }

    void failedReadChangesNothing() {
        SimBench b{2, 0};
        Catalogue catalogue;
        catalogue.Init(DeviceIdentity{12, 0, 0, 0});
        b.device.injectFault({.kind = sim::Fault::Kind::Vanish, .match = "$R", .skip = 20});
        ReadFailure why = ReadFailure::None;
        QVERIFY(!ReadConfiguration(b.link, catalogue, {}, &why));
        QCOMPARE(why, ReadFailure::Communication);
        QCOMPARE(b.link.CommError, 1);
        // Model byte 2 would have set the "10 V" minimum to 0; a failed read leaves -10.
        QCOMPARE(catalogue.Input(4).min, -10.0);
        QVERIFY(b.prompter.questions().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestConfigRead)
#include "tst_configread.moc"
