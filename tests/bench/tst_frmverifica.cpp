// The programming station's windows over a simulated unit and bench: a download from the
// report window, then a verification set up and run from the set-up window.
#include "frmstrumver.h"
#include "frmverifica.h"
#include "stationrig.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace vantelso;
using namespace vantelso::bench;
using namespace Qt::StringLiterals;

class TestFrmVerifica : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void downloadAndVerify() {
        StationRig s;
        QCOMPARE(s.editor.ReadEprom(), EditorOutcome::Done);
        s.station.Reset();
        gui::FrmVerifica report(&s.station);
        gui::FrmStrumVer setUp(&s.station);
        report.show();
        setUp.show();
        QCOMPARE(report.statusLabel()->text(), u"STOP"_s);
        QVERIFY(report.statusLabel()->styleSheet().contains(u"#ff0000"_s));

        QTest::mouseClick(report.sendButton(), Qt::LeftButton);
        QCOMPARE(report.statusLabel()->text(), u"OK"_s);
        QVERIFY(report.statusLabel()->styleSheet().contains(u"#00ff00"_s));
        QVERIFY(report.report()->toPlainText().endsWith(
            u"Programmazioni effettuate:     1\nImpostare strumentazione"_s));

        // The instrument button clears the range and waits for the mode.
        s.station.settings.min = u"5"_s;
        report.instrumentsButton()->click();
        QCOMPARE(setUp.captionLabel()->text(), u"Selezionare Modo di taratura:"_s);
        QVERIFY(setUp.minField()->text().isEmpty());
        QVERIFY(!setUp.inputList()->isEnabled() && !setUp.deviceList()->isEnabled());
        QVERIFY(!setUp.outputChannelLabel()->isVisible());

        setUp.modeList()->setCurrentIndex(0);
        Q_EMIT setUp.modeList()->activated(0);
        QCOMPARE(setUp.captionLabel()->text(), u"Modo di taratura: Automatico"_s);
        QVERIFY(setUp.inputList()->isEnabled() && setUp.deviceList()->isEnabled());
        const int ma = FindVerificationInput(u"mA");
        setUp.inputList()->setCurrentIndex(ma);
        Q_EMIT setUp.inputList()->activated(ma);
        QCOMPARE(setUp.maxField()->text(), u"20"_s);
        QCOMPARE(setUp.halfField()->text(), u"10"_s);
        setUp.minField()->clear();
        QTest::keyClicks(setUp.minField(), u"4"_s);
        setUp.outputList()->setCurrentIndex(1);
        Q_EMIT setUp.outputList()->activated(1);
        const int single = int(VerificationDevices().indexOf(u"RSX7031D"_s));
        setUp.deviceList()->setCurrentIndex(single);
        Q_EMIT setUp.deviceList()->activated(single);
        QVERIFY(setUp.outputChannelLabel()->isVisible() &&
                setUp.measureChannelLabel()->isVisible());
        QCOMPARE(setUp.outputChannelLabel()->text(), u"Impostare canale di uscita"_s);
        QVERIFY(!setUp.channelButton(1, 1)->isEnabled() && setUp.channelButton(1, 0)->isChecked());
        const int two = int(VerificationDevices().indexOf(u"RSX7032D"_s));
        setUp.deviceList()->setCurrentIndex(two);
        Q_EMIT setUp.deviceList()->activated(two);
        QVERIFY(setUp.channelButton(1, 1)->isEnabled());

        // A supply value out of range stops the set-up before anything is sent.
        setUp.supplyBox()->click();
        setUp.voltsField()->clear();
        QTest::keyClicks(setUp.voltsField(), u"31"_s);
        setUp.setUpAndVerifyButton()->click();
        QCOMPARE(s.rig.prompter.texts(), QStringList{u"Valore di alimentazione errato!"_s});
        QVERIFY(s.instrumentsQuiet());
        setUp.voltsField()->clear();
        QTest::keyClicks(setUp.voltsField(), u"24.5"_s);
        setUp.setUpAndVerifyButton()->click();
        QCOMPARE(s.rig.bench.supply().heard(), QByteArray("SV 24.50\rKOE\r"));
        QCOMPARE(setUp.halfField()->text(), u"12"_s);
        const QString text = report.report()->toPlainText();
        QVERIFY2(text.contains(u"Valore di 1/2 scala: 05.000 V"_s), qPrintable(text));
        QVERIFY(text.endsWith(QString(58, QLatin1Char('_'))));
        QVERIFY(report.sendButton()->isEnabled() && setUp.verifyButton()->isEnabled());
        screenshot(&report, "frm_verifica.png");
        screenshot(&setUp, "interfaccia_strum_ver.png");

        // Manual mode leaves the wiring to the operator.
        setUp.modeList()->setCurrentIndex(1);
        Q_EMIT setUp.modeList()->activated(1);
        QCOMPARE(setUp.captionLabel()->text(), u"Modo di taratura: Manuale"_s);
        QVERIFY(!setUp.deviceList()->isEnabled() && !setUp.switchButton()->isEnabled());
        QVERIFY(setUp.inputList()->isEnabled());
    }

    // The editor buttons need the device port.
    void closedPort() {
        StationRig s;
        gui::FrmVerifica report(&s.station);
        int opened = 0;
        connect(&report, &gui::FrmVerifica::editorRequested, [&opened] { ++opened; });
        report.editorButton()->click();
        QCOMPARE(opened, 1);
        s.port.close();
        report.editorButton()->click();
        report.defaultButton()->click();
        QCOMPARE(opened, 1);
        QCOMPARE(s.rig.prompter.texts(), QStringList(2, u"Porta Com non aperta"_s));
        report.sendButton()->click();
        QCOMPARE(report.statusLabel()->text(), u"ERRORE"_s);
        QCOMPARE(s.station.downloads, 0);
    }
};

QTEST_MAIN(TestFrmVerifica)
#include "tst_frmverifica.moc"
