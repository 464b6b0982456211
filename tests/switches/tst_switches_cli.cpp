// The switches command end to end: banks computed for a configuration, served by a
// simulated device ("sim MODEL --switches S0,S1,S2") and read back as the same selections.
#include "clirun.h"
#include "failingrow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The exit code and the JSON object printed.
std::pair<int, QJsonObject> runJson(const QStringList& args) {
    const CliRun r = cli(args, 60000);
    return {r.exitCode, QJsonDocument::fromJson(r.out.toUtf8()).object()};
}

} // namespace

class TestSwitchesCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip() {
#ifndef Q_OS_UNIX
        QSKIP("pseudo-terminals are a Unix feature");
#endif
        // The model, its flags, the banks S0, S1, S2 expected (-1: not checked).
        const std::tuple<const char*, const char*, QList<int>> rows[] = {
            {"RSX7030",
             "--input 8 --option off --output 1 --output-b 2 --span 3 --zero 5",
             {72, 14, 5}},
            {"RSX7040", "--input 2 --output 3 --span 1 --multiplier 1", {14, 65, 14}},
            {"RSX7031C", "--input 25 --output 2 --span 63 --zero 15", {0xF0 | 10, 63 | 128, -1}}};
        for (const auto& [model, flags, bytes] : rows) {
            const FailingRow row(model);
            const auto [rc, computed] = runJson(
                QStringList{"switches", "--model", model, "--json"} + QString(flags).split(u' '));
            QCOMPARE(rc, 0);
            QStringList banks;
            for (int i = 0; i < 3; ++i) {
                banks << QString::number(computed.value(u"S%1"_s.arg(i)).toInt());
                if (bytes[i] >= 0)
                    QCOMPARE(banks.last().toInt(), bytes[i]);
            }
            const CliSim sim(QLatin1String(model), {u"--switches"_s, banks.join(u',')});
            const auto [readRc, read] = runJson({"-p", sim.port, "switches", "--json"});
            QCOMPARE(readRc, 0);
            QCOMPARE(read["model"].toString(), QLatin1String(model));
            // S0, S1 and every selection given come back, and nothing else is claimed.
            for (auto it = computed.begin(); it != computed.end(); ++it) {
                if (it.key() == u"S2"_s || it.key() == u"model"_s)
                    continue;
                QVERIFY2(read.contains(it.key()), qPrintable(it.key()));
                QCOMPARE(read.value(it.key()), it.value());
            }
        }
    }

    // A device's switches as the window names them: per channel the input type, the output
    // and its direction, the positions with their values, the option.
    void deviceMeaning() {
        // The model and its banks; each channel's input name and unit; channel A's output
        // ("" the record's), its span value (0 none), and the option's meaning ("" none).
        const std::tuple<const char*, const char*, QStringList, const char*> rows[] = {
            {"RSX7030", "104,122,10", {"Tc K", "°C", "Tc K", "°C"}, "4-20 mA|190|Int"},
            {"RSX7132D", "4,21,0", {"10 V", "V", "20 mA", "mA"}, "|0|Reverse"},
            {"RSX7040", "0,74,6", {"TTL", "Hz"}, "4-20 mA|5|"}};
        for (const auto& [model, banks, inputs, meaning] : rows) {
            const FailingRow row(model);
            const auto [rc, o] =
                runJson({"--demo", model, "--switches", banks, "switches", "--json"});
            QCOMPARE(rc, 0);
            const QJsonArray channels = o["channels"].toArray();
            QStringList shown;
            for (const QJsonValue& c : channels)
                shown << c["input"]["name"].toString() << c["input"]["unit"].toString();
            QCOMPARE(shown, inputs);
            QCOMPARE(u"%1|%2|%3"_s.arg(channels[0]["output"]["name"].toString())
                         .arg(channels[0]["span"]["value"].toDouble())
                         .arg(o["option"]["meaning"].toString()),
                     QLatin1String(meaning));
            // `read` tells the same beside the record, marked as set by the switches.
            const CliRun r = cli({"--demo", model, "--switches", banks, "read"});
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(r.out.contains(u"switches A: "_s + inputs[0]), qPrintable(r.out));
            QVERIFY(r.out.contains(u"(set by the DIP switches)"_s));
        }
    }
};

QTEST_GUILESS_MAIN(TestSwitchesCli)
#include "tst_switches_cli.moc"
