// The switch guide window in a desktop session: the third view button shows it, the panel's
// Read fills it from the device's banks, selections redraw the banks, and the wizard.
// With VANTELSO_SCREENSHOTS set to a folder, pictures of the window are saved there.
#include "desktopsession.h"
#include "dipbanks.h"
#include "failingrow.h"
#include "frmmisura.h"
#include "frmswitch.h"

#include <QTimer>

using namespace vantelso;

namespace {

void shoot(QWidget* w, const char* file) {
    const QString dir = qEnvironmentVariable("VANTELSO_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    QCoreApplication::processEvents();
    QVERIFY(w->grab().save(dir + u'/' + QLatin1String(file)));
}

} // namespace

class TestFrmSwitch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readAndDraw() {
        const std::tuple<QString, QByteArray, QString> rows[] = {
            {"RSX7030", QByteArray("\x48\x0E\x05\x00", 4), "Tc K"},
            {"RSX7040", QByteArray("\x00\x41\x0E\x00", 4), "TTL"}};
        for (const auto& [model, bytes, input] : rows) {
            const FailingRow row(model);
            Session s(model);
            s.demo->device()->setSwitchBytes(bytes);
            auto* view = s.panel()->cmd_modo[2];
            QVERIFY(view->isEnabled() && !s.window->switchSubWindow()->isVisible());
            view->click();
            QVERIFY(s.window->switchSubWindow()->isVisible());
            QVERIFY(s.open()); // opening the port reads the device, switches included
            gui::FrmSwitch* w = s.window->switchWindow();
            QVERIFY(s.count("$D") >= 1);
            QCOMPARE(w->cmb_SW_in[0]->currentText(), input);
            QCOMPARE(w->dip->banks(), 3);
            for (int b = 0; b < 3; ++b)
                for (int i = 0; i < 8; ++i)
                    QCOMPARE(w->dip->isOn(b, i), bool((quint8(bytes[b]) >> i) & 1));
            QCOMPARE(w->check->text(), model == QLatin1String("RSX7030") ? "ERR" : "OK");
            shoot(s.window->switchSubWindow(), qPrintable("switch-" + model.toLower() + ".png"));

            // A new selection redraws the banks: RSX7030 zero and span "Default" clear SW3 and
            // the span switches of SW2; a 10 °C span was below the thermocouple's minimum.
            if (model == QLatin1String("RSX7030")) {
                w->lst_zero->setCurrentRow(0);
                w->lst_span->setCurrentRow(0);
                QCOMPARE(w->guide().bytes(), (switches::SwitchBytes{72, 2, 0}));
                QVERIFY(!w->dip->isOn(2, 0) && !w->dip->isOn(1, 2));
                QCOMPARE(w->check->text(), QStringLiteral("OK"));
                // The banks a measurement reads at its start reach the switch window; the
                // window's own Read reads them again. A start refused because another command
                // is waiting leaves the measurement window idle again, not running.
                gui::FrmMisura* m = s.window->measureWindow();
                s.demo->device()->setStreamInterval(5);
                s.demo->device()->setSwitchBytes(QByteArray("\x68\x7A\x0A\x00", 4));
                connect(&m->measurement(), &measure::Measurement::frameShown, m,
                        [m] { m->measurement().Stop(); });
                s.panel()->cmd_start->click();
                QCOMPARE(w->guide().bytes(), (switches::SwitchBytes{0x68, 0x7A, 0x0A}));
                QCOMPARE(w->cmb_SW_in[0]->currentText(), QStringLiteral("Tc K"));
                QCOMPARE(w->frm_optionSw[0]->title(), QStringLiteral("CJC"));
                s.demo->device()->setSwitchBytes(bytes);
                const int reads = s.count("$D");
                w->cmd_read->click(); // a disabled button would read nothing
                QCOMPARE(s.count("$D"), reads + 1);
                QCOMPARE(w->guide().bytes(), (switches::SwitchBytes{0x48, 0x0E, 0x05}));
                s.demo->device()->injectFault({sim::Fault::Kind::DelayedReply, "$V", 0, 1, 300});
                QTimer::singleShot(50, m, [m] { m->Cmd_StartRead->click(); });
                s.state.link.ReadIdentity();
                QVERIFY(!m->running());
                QVERIFY(m->Cmd_StartRead->isEnabled() && !m->Cmd_StopRead->isEnabled());
            }
            view->click();
            QVERIFY(!s.window->switchSubWindow()->isVisible());
            s.window->mainMenu().viewSwitch->trigger(); // View > Switch does the same
            QVERIFY(s.window->switchSubWindow()->isVisible());
        }
    }

    void wizard() {
        Session s;
        s.panel()->cmd_modo[2]->click();
        gui::FrmSwitch* w = s.window->switchWindow();
        QVERIFY(w->aiuto_switch->isVisible() && !w->aiuto_modello->isVisible());
        w->aiuto_switch->click();
        QVERIFY(w->aiuto_modello->isVisible() && w->close_aiuto_switch->isVisible());
        QCOMPARE(w->aiuto_modello->count(), 17);
        QCOMPARE(w->aiuto_modello->itemText(0), QStringLiteral("Seleziona dispositivo"));
        w->aiuto_modello->setCurrentIndex(w->aiuto_modello->findText(QStringLiteral("RSX 7030")));
        w->cmb_SW_in[0]->setCurrentIndex(w->cmb_SW_in[0]->findText(QStringLiteral("Tc K")));
        w->cmb_sw_Out[0]->setCurrentIndex(1);
        w->cmb_sw_Out[1]->setCurrentIndex(2);
        w->lst_span->setCurrentRow(3);
        w->lst_zero->setCurrentRow(5);
        w->Opzione[0]->click();
        QCOMPARE(w->guide().bytes(), (switches::SwitchBytes{72, 14, 5}));
        QVERIFY(w->frm_optionSw[0]->isVisible());
        QCOMPARE(w->frm_optionSw[0]->title(), QStringLiteral("CJC"));
        QVERIFY(w->visualizza_limiti->text().startsWith(QLatin1String("In: Tc K")));
        // °F: the lists convert, the limits too.
        w->opt_far[1]->click();
        QCOMPARE(w->lst_zero->item(1)->text(), QStringLiteral("-328.0"));
        shoot(s.window->switchSubWindow(), "switch-wizard.png");

        // A change of language renames the option frame's lang captions on the D models.
        w->aiuto_modello->setCurrentIndex(w->aiuto_modello->findText(QStringLiteral("RSX 7032 D")));
        QCOMPARE(w->frm_optionSw[0]->title(), QStringLiteral("Uscita"));
        s.chooseLanguage(1);
        QCOMPARE(w->frm_optionSw[0]->title(), QStringLiteral("Output"));
        QVERIFY(!w->lst_span->isEnabled() && w->cmb_SW_in[1]->isVisible());

        w->close_aiuto_switch->click();
        QVERIFY(!w->aiuto_modello->isVisible());
        QCOMPARE(w->guide().identity().ModelByte, 0);
    }
};

QTEST_MAIN(TestFrmSwitch)
#include "tst_frmswitch.moc"
