// The switches command end to end: banks computed for a configuration, served by a
// simulated device ("sim MODEL --switches S0,S1,S2") and read back as the same selections.
#include "clirun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

QJsonObject runJson(const QStringList& args, int* exitCode) {
    const CliRun r = cli(args, 60000);
    *exitCode = r.exitCode;
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

// The value at a dotted path, "output.name".
QJsonValue at(QJsonObject o, const char* path) {
    const QStringList keys = QString::fromLatin1(path).split(u'.');
    for (qsizetype i = 0; i + 1 < keys.size(); ++i)
        o = o.value(keys[i]).toObject();
    return o.value(keys.last());
}

} // namespace

class TestSwitchesCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QList<int>>("bytes"); // expected S0, S1, S2; -1 = not checked
        const auto flags = [](const char* f) { return QString::fromLatin1(f).split(u' '); };
        QTest::newRow("RSX7030") << "RSX7030"
                                 << flags("--input 8 --option off --output 1 --output-b 2 "
                                          "--span 3 --zero 5")
                                 << QList<int>{72, 14, 5};
        QTest::newRow("RSX7040") << "RSX7040"
                                 << flags("--input 2 --output 3 --span 1 --multiplier 1")
                                 << QList<int>{14, 65, 14};
        QTest::newRow("RSX7031C") << "RSX7031C"
                                  << flags("--input 25 --output 2 --span 63 --zero 15")
                                  << QList<int>{0xF0 | 10, 63 | 128, -1};
    }
    void roundTrip() {
#ifndef Q_OS_UNIX
        QSKIP("pseudo-terminals are a Unix feature");
#endif
        QFETCH(QString, model);
        QFETCH(QStringList, flags);
        QFETCH(QList<int>, bytes);
        int rc = -1;
        const QJsonObject computed =
            runJson(QStringList{"switches", "--model", model, "--json"} + flags, &rc);
        QCOMPARE(rc, 0);
        QStringList banks;
        for (int i = 0; i < 3; ++i) {
            banks << QString::number(computed.value(QStringLiteral("S%1").arg(i)).toInt());
            if (bytes[i] >= 0)
                QCOMPARE(banks.last().toInt(), bytes[i]);
        }
        const CliSim sim(model, {QStringLiteral("--switches"), banks.join(u',')});
        QVERIFY(!sim.port.isEmpty());
        const QJsonObject read = runJson({"-p", sim.port, "switches", "--json"}, &rc);
        QCOMPARE(rc, 0);
        QCOMPARE(at(read, "model").toString(), model);
        QCOMPARE(at(read, "S0"), at(computed, "S0"));
        QCOMPARE(at(read, "S1"), at(computed, "S1"));
        // Every selection given comes back, and nothing else is claimed.
        for (auto it = computed.begin(); it != computed.end(); ++it) {
            if (it.key().startsWith(u'S') || it.key() == QLatin1String("model"))
                continue;
            QVERIFY2(read.contains(it.key()), qPrintable(it.key()));
            QCOMPARE(read.value(it.key()), it.value());
        }
    }

    // A device's switches as the window names them: per channel the input type, the output
    // and its direction, the positions with their values, the option.
    void deviceMeaning_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("banks");
        QTest::addColumn<QStringList>("inputs"); // name and unit per channel
        QTest::addColumn<QString>("output");     // channel A's output, "" the record's
        QTest::addColumn<double>("span");        // channel A's span value, 0 none
        QTest::addColumn<QString>("option");     // its meaning, "" none
        QTest::newRow("RSX7030 Tc K, CJC Int")
            << "RSX7030"
            << "104,122,10" << QStringList{"Tc K", "°C", "Tc K", "°C"} << "4-20 mA" << 190.0
            << "Int";
        QTest::newRow("RSX7132D reversed")
            << "RSX7132D"
            << "4,21,0" << QStringList{"10 V", "V", "20 mA", "mA"} << "" << 0.0 << "Reverse";
        QTest::newRow("RSX7040 TTL")
            << "RSX7040"
            << "0,74,6" << QStringList{"TTL", "Hz"} << "4-20 mA" << 5.0 << "";
    }
    void deviceMeaning() {
        QFETCH(QString, model);
        QFETCH(QString, banks);
        QFETCH(QStringList, inputs);
        int rc = -1;
        const QJsonObject o =
            runJson({"--demo", model, "--switches", banks, "switches", "--json"}, &rc);
        QCOMPARE(rc, 0);
        const QJsonArray channels = at(o, "channels").toArray();
        QCOMPARE(channels.size(), inputs.size() / 2);
        for (int c = 0; c < channels.size(); ++c) {
            QCOMPARE(at(channels[c].toObject(), "input.name").toString(), inputs[2 * c]);
            QCOMPARE(at(channels[c].toObject(), "input.unit").toString(), inputs[2 * c + 1]);
        }
        const QJsonObject a = channels[0].toObject();
        QTEST(at(a, "output.name").toString(), "output");
        QTEST(at(a, "span.value").toDouble(), "span");
        QTEST(at(o, "option.meaning").toString(), "option");
        // `read` tells the same beside the record, marked as set by the switches.
        const CliRun r = cli({"--demo", model, "--switches", banks, "read"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(QStringLiteral("switches A: ") + inputs[0]), qPrintable(r.out));
        QVERIFY(r.out.contains(QStringLiteral("(set by the DIP switches)")));
    }
};

QTEST_GUILESS_MAIN(TestSwitchesCli)
#include "tst_switches_cli.moc"
