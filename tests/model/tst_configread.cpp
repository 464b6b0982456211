// The configuration read against the simulated device of every model byte: each default
// image decodes to a configuration the model offers, within the catalogue's limits, and
// encoding it again changes no byte.
#include "configread.h"
#include "scriptedprompter.h"
#include "simbench.h"
#include "simdevice.h"
#include "simtransport.h"

#include <QTest>

using namespace vantelso;

namespace {

struct Bench : SimBench {
    using SimBench::SimBench;
    Catalogue catalogue;
};

} // namespace

class TestConfigRead : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaultImages_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("variant");
        for (int m = 0; m <= 9; ++m)
            QTest::addRow("model byte %d", m) << m << (m == 3 ? 0x20 : 0);
    }
    void defaultImages() {
        QFETCH(int, model);
        QFETCH(int, variant);
        Bench b{quint8(model), quint8(variant)};
        sim::SimDevice& device = b.device;
        Catalogue& catalogue = b.catalogue;
        const auto read = ReadConfiguration(b.link, catalogue);
        QVERIFY(read);
        QCOMPARE(read->identity, device.identity());
        QCOMPARE(read->model, device.modelIdentifier());
        QCOMPARE(read->mainBlock, device.bank(0).left(MainBlockSize));
        QCOMPARE(read->extensionBlock.isEmpty(), !HasExtensionBlock(read->identity));

        const ConfigRecord& r = read->record;
        const TypeLists lists = catalogue.FillTypeLists(read->identity);
        // The single-channel models leave channel B's part of the record unused.
        const bool singleChannel = model == 0 || model == 1 || model == 8 || model == 9;
        const int channels = singleChannel ? 1 : 2;
        for (int c = 0; c < channels; ++c) {
            const ChannelSettings& ch = r.channels[c];
            const InputType& in = catalogue.Input(ch.inputType);
            const OutputType& out = catalogue.Output(ch.outputType);
            if (!IsFrequencyModel(read->identity))
                QVERIFY2(lists.input.contains(in.name), qPrintable(in.name));
            QVERIFY2(lists.output.contains(out.name), qPrintable(out.name));
            QVERIFY(ch.inputStart >= in.min && ch.inputEnd <= in.max);
            QVERIFY(ch.inputEnd - ch.inputStart >= in.minSpan);
            QVERIFY(ch.outputStart >= out.min && ch.outputEnd <= out.max);
            QVERIFY(ch.outputEnd - ch.outputStart >= out.minSpan);
        }

        // Written back unchanged, the record's bytes stay as they are.
        const QList<WriteItem> writes = EncodeRecord(r, read->identity, catalogue, read->mainBlock);
        QByteArray main = read->mainBlock;
        QByteArray ext = read->extensionBlock;
        ApplyWrites(writes, &main, &ext);
        QCOMPARE(main, read->mainBlock);
        QCOMPARE(ext, read->extensionBlock);
    }

    void otherFamilyIsNotRead() {
        Bench b{3, 0};
        DeviceIdentity id = b.device.identity();
        id.DeviceCode = 11;
        b.device.setIdentity(id);
        ReadFailure why = ReadFailure::None;
        QVERIFY(!ReadConfiguration(b.link, b.catalogue, {}, &why));
        QCOMPARE(why, ReadFailure::Incompatible);
        for (const QByteArray& cmd : b.device.commandLog())
            QVERIFY(!cmd.startsWith("$R"));
    }

    void failedReadChangesNothing() {
        Bench b{2, 0};
        Catalogue& catalogue = b.catalogue;
        catalogue.Init(DeviceIdentity{12, 0, 0, 0});
        const double tenVoltMin = catalogue.Input(4).min;
        sim::Fault vanish;
        vanish.kind = sim::Fault::Kind::Vanish;
        vanish.match = "$R";
        vanish.skip = 20;
        b.device.injectFault(vanish);
        ReadFailure why = ReadFailure::None;
        QVERIFY(!ReadConfiguration(b.link, catalogue, {}, &why));
        QCOMPARE(why, ReadFailure::Communication);
        QCOMPARE(b.link.CommError, 1);
        // Model byte 2 would have set the "10 V" minimum to 0; a failed read leaves -10.
        QCOMPARE(catalogue.Input(4).min, tenVoltMin);
        QVERIFY(b.prompter.questions().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestConfigRead)
#include "tst_configread.moc"
