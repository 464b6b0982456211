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
        QCOMPARE(report.statusLabel()->text(), QStringLiteral("STOP"));
        QVERIFY(report.statusLabel()->styleSheet().contains(QLatin1String("#ff0000")));

        QTest::mouseClick(report.sendButton(), Qt::LeftButton);
        QCOMPARE(report.statusLabel()->text(), QStringLiteral("OK"));
        QVERIFY(report.statusLabel()->styleSheet().contains(QLatin1String("#00ff00")));
        QVERIFY(report.report()->toPlainText().endsWith(
            QLatin1String("Programmazioni effettuate:     1\nImpostare strumentazione")));

        // The instrument button clears the range and waits for the mode.
        s.station.settings.min = QStringLiteral("5");
        report.instrumentsButton()->click();
        QCOMPARE(setUp.captionLabel()->text(), QStringLiteral("Selezionare Modo di taratura:"));
        QVERIFY(setUp.minField()->text().isEmpty());
        QVERIFY(!setUp.inputList()->isEnabled() && !setUp.deviceList()->isEnabled());
        QVERIFY(!setUp.outputChannelLabel()->isVisible());

        setUp.modeList()->setCurrentIndex(0);
        Q_EMIT setUp.modeList()->activated(0);
        QCOMPARE(setUp.captionLabel()->text(), QStringLiteral("Modo di taratura: Automatico"));
        QVERIFY(setUp.inputList()->isEnabled() && setUp.deviceList()->isEnabled());
        const int ma = FindVerificationInput(u"mA");
        setUp.inputList()->setCurrentIndex(ma);
        Q_EMIT setUp.inputList()->activated(ma);
        QCOMPARE(setUp.maxField()->text(), QStringLiteral("20"));
        QCOMPARE(setUp.halfField()->text(), QStringLiteral("10"));
        setUp.minField()->clear();
        QTest::keyClicks(setUp.minField(), QStringLiteral("4"));
        setUp.outputList()->setCurrentIndex(1);
        Q_EMIT setUp.outputList()->activated(1);
        const int single = int(VerificationDevices().indexOf(QStringLiteral("RSX7031D")));
        setUp.deviceList()->setCurrentIndex(single);
        Q_EMIT setUp.deviceList()->activated(single);
        QVERIFY(setUp.outputChannelLabel()->isVisible() &&
                setUp.measureChannelLabel()->isVisible());
        QCOMPARE(setUp.outputChannelLabel()->text(), QStringLiteral("Impostare canale di uscita"));
        QVERIFY(!setUp.channelButton(1, 1)->isEnabled() && setUp.channelButton(1, 0)->isChecked());
        const int two = int(VerificationDevices().indexOf(QStringLiteral("RSX7032D")));
        setUp.deviceList()->setCurrentIndex(two);
        Q_EMIT setUp.deviceList()->activated(two);
        QVERIFY(setUp.channelButton(1, 1)->isEnabled());

        // A supply value out of range stops the set-up before anything is sent.
        setUp.supplyBox()->click();
        setUp.voltsField()->clear();
        QTest::keyClicks(setUp.voltsField(), QStringLiteral("31"));
        setUp.setUpAndVerifyButton()->click();
        QCOMPARE(s.rig.prompter.texts(),
                 QStringList{QStringLiteral("Valore di alimentazione errato!")});
        QVERIFY(s.instrumentsQuiet());
        setUp.voltsField()->clear();
        QTest::keyClicks(setUp.voltsField(), QStringLiteral("24.5"));
        setUp.setUpAndVerifyButton()->click();
        QCOMPARE(s.rig.bench.supply().heard(), QByteArray("SV 24.50\rKOE\r"));
        QCOMPARE(setUp.halfField()->text(), QStringLiteral("12"));
        const QString text = report.report()->toPlainText();
        QVERIFY2(text.contains(QString::fromUtf8("Valore di 1/2 scala: 05.000 V")),
                 qPrintable(text));
        QVERIFY(text.endsWith(QString(58, QLatin1Char('_'))));
        QVERIFY(report.sendButton()->isEnabled() && setUp.verifyButton()->isEnabled());
        screenshot(&report, "frm_verifica.png");
        screenshot(&setUp, "interfaccia_strum_ver.png");

        // Manual mode leaves the wiring to the operator.
        setUp.modeList()->setCurrentIndex(1);
        Q_EMIT setUp.modeList()->activated(1);
        QCOMPARE(setUp.captionLabel()->text(), QStringLiteral("Modo di taratura: Manuale"));
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
        QCOMPARE(s.rig.prompter.texts(), QStringList(2, QStringLiteral("Porta Com non aperta")));
        report.sendButton()->click();
        QCOMPARE(report.statusLabel()->text(), QStringLiteral("ERRORE"));
        QCOMPARE(s.station.downloads, 0);
    }
};

QTEST_MAIN(TestFrmVerifica)
#include "tst_frmverifica.moc"
