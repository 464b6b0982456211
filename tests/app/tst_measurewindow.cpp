// The measurement window bound to its core in a desktop session on the simulated device: the
// panel's start/stop button, the values shown, the panel's picture and a Read while measuring.
#include "desktopsession.h"
#include "frmmisura.h"
#include "trendhistory.h"

using namespace vantelso;
using namespace Qt::StringLiterals;

class TestMeasureWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelStartStop() {
        Session s(u"RSX7030"_s);
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
        QVERIFY(readDuring.endsWith(u" °C"_s));
        QVERIFY(w->txt_misura_out[0]->text().endsWith(u" mA"_s));
        QVERIFY(!w->lbl_progIn[0]->text().isEmpty());
        QCOMPARE(w->lbl_progTrip[2]->text(), u"MAX"_s);
        QVERIFY(w->Cmd_StartRead->isEnabled() && !w->Cmd_StopRead->isEnabled());
        QTRY_VERIFY(s.count("$V") >= readsBefore + 2); // the measurement's and the Read's
        QVERIFY(s.state.flags.measuring == false);
        QVERIFY(s.demo->device()->commandLog().contains(QByteArray("SM\r")));
    }
    // The log's file and its lines are on show; a window shown again with the log still
    // open asks before the file grows further, and No stops the log.
    void csvLogAsksWhenShownAgain() {
        Session s(u"RSX7030"_s);
        QVERIFY(s.open());
        s.demo->device()->setStreamInterval(5);
        gui::FrmMisura* w = s.window->measureWindow();
        s.window->toggleMeasureWindow();
        QCOMPARE(w->lbl_log->text(), u"Non registra"_s);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"m.csv"_s);
        s.prompter.pushFile(path);
        w->chk_log->click();
        QVERIFY(w->chk_log->isChecked());
        int frames = 0;
        connect(&w->measurement(), &measure::Measurement::frameShown, w, [&] {
            if (++frames == 4)
                w->stopMeasure();
        });
        w->startMeasure();
        QCOMPARE(w->lbl_state->text(), u"Ferma"_s);
        // One line per channel per frame: the RSX7030 measures its input and both outputs.
        const int lines = frames * 2;
        const QString shown = w->lbl_log->text();
        QVERIFY2(shown.startsWith(QDir::toNativeSeparators(path)) &&
                     shown.endsWith(u": %1 righe"_s.arg(lines)),
                 qPrintable(shown));
        // Hidden and shown again: asked, with the lines the file holds; Yes goes on.
        for (const auto answer : {Prompter::Answer::Yes, Prompter::Answer::No}) {
            s.prompter.clear();
            s.prompter.push(answer);
            s.window->toggleMeasureWindow();
            s.window->toggleMeasureWindow();
            QCOMPARE(s.prompter.questions().size(), 1);
            QVERIFY(s.prompter.questions().first().text.contains(u"m.csv"_s));
            QCOMPARE(w->chk_log->isChecked(), answer == Prompter::Answer::Yes);
        }
        QCOMPARE(w->lbl_log->text(), u"Non registra"_s);
        // Opened again, the file's lines are counted, the header not.
        s.prompter.pushFile(path);
        w->chk_log->click();
        QVERIFY(w->lbl_log->text().endsWith(u": %1 righe"_s.arg(lines)));
    }

    // The plot's ticks fall on round values: -60 ... 0 s, and 1, 2 or 5 times a power of ten
    // on the value axis, never more than asked for.
    void roundTicks() {
        // Low, high, most ticks, the ticks.
        const std::tuple<double, double, int, std::vector<double>> rows[] = {
            {-60, 0, 7, {-60, -50, -40, -30, -20, -10, 0}}, // the first minute
            {-300, 0, 7, {-300, -250, -200, -150, -100, -50, 0}},
            {-100, 1200, 6, {0, 500, 1000}}, // Tc J
            {4, 20, 6, {5, 10, 15, 20}},
            {12.3, 939.7, 6, {200, 400, 600, 800}}, // off-round
            {-0.1, 0.1, 6, {-0.1, -0.05, 0, 0.05, 0.1}},
            {5, 5, 6, {}}, // empty
        };
        for (const auto& [low, high, most, ticks] : rows) {
            const std::vector<double> got = measure::RoundTicks(low, high, most);
            QCOMPARE(got.size(), ticks.size());
            for (std::size_t i = 0; i < got.size(); ++i)
                QVERIFY2(qAbs(got[i] - ticks[i]) < 1e-9, qPrintable(QString::number(got[i])));
        }
    }
};

QTEST_MAIN(TestMeasureWindow)
#include "tst_measurewindow.moc"
