// The measurement window bound to its core in a desktop session on the simulated device: the
// panel's start/stop button, the values shown, the panel's picture and a Read while measuring.
#include "desktopsession.h"
#include "frmmisura.h"

using namespace vantelso;

class TestMeasureWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelStartStop() {
        Session s(QStringLiteral("RSX7030"));
        QVERIFY(s.open());
        s.demo->device()->setStreamInterval(5);
        gui::FrmMisura* w = s.window->measureWindow();
        s.panel()->cmd_modo[1]->click();
        QVERIFY(s.window->measureSubWindow()->isVisible());
        int frames = 0;
        QString readDuring;
        connect(&w->measurement(), &measure::Measurement::frameShown, w, [&] {
            if (++frames == 3) {
                QVERIFY(!w->Cmd_StartRead->isEnabled() && w->Cmd_StopRead->isEnabled());
                readDuring = w->txt_misura_in[0]->text();
                // A Read while measuring stops the measurement first, then reads.
                s.panel()->cmd_read->click();
            }
        });
        const int readsBefore = s.count("$V");
        s.panel()->cmd_start->click(); // returns when the measurement has ended
        QVERIFY(!w->running());
        QVERIFY(readDuring.endsWith(QStringLiteral(" °C")));
        QVERIFY(w->txt_misura_out[0]->text().endsWith(QStringLiteral(" mA")));
        QVERIFY(!w->lbl_progIn[0]->text().isEmpty());
        QCOMPARE(w->lbl_progTrip[2]->text(), QStringLiteral("MAX"));
        QVERIFY(w->Cmd_StartRead->isEnabled() && !w->Cmd_StopRead->isEnabled());
        QTRY_VERIFY(s.count("$V") >= readsBefore + 2); // the measurement's and the Read's
        QVERIFY(s.state.flags.measuring == false);
        QVERIFY(s.demo->device()->commandLog().contains(QByteArray("SM\r")));
    }
};

QTEST_MAIN(TestMeasureWindow)
#include "tst_measurewindow.moc"
