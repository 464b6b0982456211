// The configuration read against the simulated device of every model byte: each default
// image decodes to a configuration the model offers, within the catalogue's limits, and
// encoding it again changes no byte.
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
            const TypeLists lists = catalogue.FillTypeLists(read->identity);
            // The single-channel models leave channel B's part of the record unused.
            const int channels = model == 0 || model == 1 || model == 8 || model == 9 ? 1 : 2;
            for (int c = 0; c < channels; ++c) {
                const ChannelSettings& ch = read->record.channels[c];
                const InputType& in = catalogue.Input(ch.inputType);
                const OutputType& out = catalogue.Output(ch.outputType);
                QVERIFY(IsFrequencyModel(read->identity) || lists.input.contains(in.name));
                QVERIFY(lists.output.contains(out.name));
                QVERIFY(ch.inputStart >= in.min && ch.inputEnd <= in.max);
                QVERIFY(ch.inputEnd - ch.inputStart >= in.minSpan);
                QVERIFY(ch.outputStart >= out.min && ch.outputEnd <= out.max);
                QVERIFY(ch.outputEnd - ch.outputStart >= out.minSpan);
            }
            // Written back unchanged, the record's bytes stay as they are.
            QByteArray main = read->mainBlock;
            QByteArray ext = read->extensionBlock;
            ApplyWrites(EncodeRecord(read->record, read->identity, catalogue, main), &main, &ext);
            QCOMPARE(main, read->mainBlock);
            QCOMPARE(ext, read->extensionBlock);
        }
    }

    void otherFamilyIsNotRead() {
        SimBench b{3, 0};
        DeviceIdentity id = b.device.identity();
        id.DeviceCode = 11;
        b.device.setIdentity(id);
        Catalogue catalogue;
        ReadFailure why = ReadFailure::None;
        QVERIFY(!ReadConfiguration(b.link, catalogue, {}, &why));
        QCOMPARE(why, ReadFailure::Incompatible);
        QCOMPARE(b.count("$R"), 0);
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
