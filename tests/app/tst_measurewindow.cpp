// The measurement window bound to its core in a desktop session on the simulated device: the
// panel's start/stop button, the values shown, the panel's picture and a Read while measuring.
#include "desktopsession.h"
#include "frmmisura.h"
#include "trendhistory.h"

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
    // The log's file and its lines are on show; a window shown again with the log still
    // open asks before the file grows further, and No stops the log.
    void csvLogAsksWhenShownAgain() {
        Session s(QStringLiteral("RSX7030"));
        QVERIFY(s.open());
        s.demo->device()->setStreamInterval(5);
        gui::FrmMisura* w = s.window->measureWindow();
        s.window->toggleMeasureWindow();
        QCOMPARE(w->lbl_log->text(), QStringLiteral("Non registra"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("m.csv"));
        s.prompter.pushFile(path);
        w->chk_log->click();
        QVERIFY(w->chk_log->isChecked());
        int frames = 0;
        connect(&w->measurement(), &measure::Measurement::frameShown, w, [&] {
            if (++frames == 4)
                w->stopMeasure();
        });
        w->startMeasure();
        QCOMPARE(w->lbl_state->text(), QStringLiteral("Ferma"));
        // One line per channel per frame: the RSX7030 measures its input and both outputs.
        const int lines = frames * 2;
        const QString shown = w->lbl_log->text();
        QVERIFY2(shown.startsWith(QDir::toNativeSeparators(path)) &&
                     shown.endsWith(QStringLiteral(": %1 righe").arg(lines)),
                 qPrintable(shown));
        // Hidden and shown again: asked, with the lines the file holds; Yes goes on.
        for (const auto answer : {Prompter::Answer::Yes, Prompter::Answer::No}) {
            s.prompter.clear();
            s.prompter.push(answer);
            s.window->toggleMeasureWindow();
            s.window->toggleMeasureWindow();
            QCOMPARE(s.prompter.questions().size(), 1);
            QVERIFY(s.prompter.questions().first().text.contains(QStringLiteral("m.csv")));
            QCOMPARE(w->chk_log->isChecked(), answer == Prompter::Answer::Yes);
        }
        QCOMPARE(w->lbl_log->text(), QStringLiteral("Non registra"));
        // Opened again, the file's lines are counted, the header not.
        s.prompter.pushFile(path);
        w->chk_log->click();
        QVERIFY(w->lbl_log->text().endsWith(QStringLiteral(": %1 righe").arg(lines)));
    }

    // The plot's ticks fall on round values: -60 ... 0 s, and 1, 2 or 5 times a power of ten
    // on the value axis, never more than asked for.
    void roundTicks_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<int>("most");
        QTest::addColumn<QList<double>>("ticks");
        QTest::newRow("first minute")
            << -60.0 << 0.0 << 7 << QList<double>{-60, -50, -40, -30, -20, -10, 0};
        QTest::newRow("five minutes")
            << -300.0 << 0.0 << 7 << QList<double>{-300, -250, -200, -150, -100, -50, 0};
        QTest::newRow("Tc J range") << -100.0 << 1200.0 << 6 << QList<double>{0, 500, 1000};
        QTest::newRow("4-20 mA") << 4.0 << 20.0 << 6 << QList<double>{5, 10, 15, 20};
        QTest::newRow("off-round") << 12.3 << 939.7 << 6 << QList<double>{200, 400, 600, 800};
        QTest::newRow("small") << -0.1 << 0.1 << 6 << QList<double>{-0.1, -0.05, 0, 0.05, 0.1};
        QTest::newRow("empty") << 5.0 << 5.0 << 6 << QList<double>{};
    }
    void roundTicks() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(int, most);
        QFETCH(QList<double>, ticks);
        const std::vector<double> got = measure::RoundTicks(low, high, most);
        QCOMPARE(int(got.size()), int(ticks.size()));
        for (std::size_t i = 0; i < got.size(); ++i)
            QVERIFY2(qAbs(got[i] - ticks[int(i)]) < 1e-9, qPrintable(QString::number(got[i])));
    }
};

QTEST_MAIN(TestMeasureWindow)
#include "tst_measurewindow.moc"
