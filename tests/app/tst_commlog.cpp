// The communication log window and the panel's port list as the user sees them. With
// VANTELSO_SCREENSHOTS set to a folder, pictures of both are saved there.
#include "desktopsession.h"
#include "frmcommlog.h"
#include "linktrace.h"
#include "testfiles.h"

using namespace vantelso;
using namespace vantelso::gui;
using namespace Qt::StringLiterals;

namespace {
void screenshot(const QPixmap& picture, const char* file) {
    const QString dir = qEnvironmentVariable("VANTELSO_SCREENSHOTS");
    if (!dir.isEmpty())
        QVERIFY(picture.save(dir + u'/' + QLatin1String(file)));
}
} // namespace

class TestCommLog : public QObject {
    Q_OBJECT

private slots:
    void heldLinesInWords();
    void showsTheTraffic();
    void portListExplainsItself();
};

// View, Communication log starts recording; a Read's requests and replies appear in it, the
// lines are saved through the file dialog, a failed save is told, and the texts follow the
// language.
// The link's note about a reply it held back reads in the user's language; other lines stay
// as traced.
void TestCommLog::heldLinesInWords() {
    Texts texts;
    const QString held = u"12:00:00.000 sooner than the wire allows, held 2a 31 0d 0a  |*1..|"_s;
    const QString plain = u"12:00:00.000 -> 24 56 0d  |$V.|"_s;
    QCOMPARE(app::CommLogLine(held, texts),
             u"12:00:00.000 risposta arrivata prima del tempo di linea, trattenuta: 2a 31 0d 0a  "
             u"|*1..|"_s);
    QCOMPARE(app::CommLogLine(plain, texts), plain);
    texts.setLanguage(Texts::English);
    QCOMPARE(app::CommLogLine(held, texts),
             u"12:00:00.000 reply sooner than the line allows, held back: 2a 31 0d 0a  |*1..|"_s);
}

void TestCommLog::showsTheTraffic() {
    Session s(u"RSX7030"_s);
    QVERIFY(!lcLink().isDebugEnabled());
    QVERIFY(s.open()); // not recorded: the log was never opened
    s.window->mainMenu().commLog->trigger();
    FrmCommLog* log = s.window->commLogWindow();
    QVERIFY(s.window->commLogSubWindow()->isVisible());
    QVERIFY(log->chk_record->isChecked() && lcLink().isDebugEnabled());
    QVERIFY(log->txt_log->toPlainText().isEmpty());
    QCOMPARE(s.window->commLogSubWindow()->windowTitle(), u"Registro delle comunicazioni"_s);

    s.panel()->cmd_read->click();
    QTRY_VERIFY(log->txt_log->toPlainText().contains(u"-> 24 56 00 00 00 0d  |$V....|"_s));
    const QStringList lines = log->txt_log->toPlainText().split(u'\n');
    QVERIFY2(lines.size() > 130, qPrintable(QString::number(lines.size())));
    QVERIFY(lines.last().contains(u"<-"_s) || lines.last().contains(u"->"_s));

    QTemporaryDir dir;
    const QString path = dir.filePath(u"trace.txt"_s);
    s.prompter.pushFile(path);
    log->cmd_save->click();
    QCOMPARE(s.prompter.fileDialogs.size(), 1);
    QCOMPARE(s.prompter.fileDialogs.first().filter, u"Testo (*.txt *.log)"_s);
    QCOMPARE(QString::fromUtf8(ReadTestFile(path)).trimmed(), log->txt_log->toPlainText());
    s.prompter.clear();
    s.prompter.pushFile(dir.filePath(u"no/such/folder/trace.txt"_s));
    QVERIFY(!log->save());
    QCOMPARE(s.prompter.questions().size(), 1);
    QVERIFY(s.prompter.questions().first().text.startsWith(u"Impossibile scrivere "_s));
    s.prompter.clear();
    QVERIFY(!log->save()); // cancelled: nothing asked, nothing written
    QVERIFY(s.prompter.questions().isEmpty());

    s.window->commLogSubWindow()->resize(900, 420);
    screenshot(s.window->commLogSubWindow()->grab(), "commlog-it.png");
    s.chooseLanguage(1);
    QCOMPARE(log->cmd_save->text(), u"Save..."_s);
    QCOMPARE(s.window->commLogSubWindow()->windowTitle(), u"Communication log"_s);
    QCOMPARE(s.window->mainMenu().commLog->text().remove(u'&'), u"Communication log"_s);
    s.window->commLogSubWindow()->resize(900, 420);
    screenshot(s.window->commLogSubWindow()->grab(), "commlog-en.png");

    // Recording off: the trace is off and the window keeps what it has.
    log->chk_record->click();
    QVERIFY(!lcLink().isDebugEnabled());
    const QString kept = log->txt_log->toPlainText();
    s.panel()->cmd_read->click();
    QTest::qWait(50);
    QCOMPARE(log->txt_log->toPlainText(), kept);
    log->cmd_clear->click();
    QVERIFY(log->txt_log->toPlainText().isEmpty());
}

// Adapters found are listed by what they say of themselves; one plugged in later appears at
// the next look, and the chosen entry stays chosen.
void TestCommLog::portListExplainsItself() {
    Session s;
    QList<PortDescription> found{
        {u"/dev/ttyUSB0"_s, u"FT232R USB UART"_s, u"FTDI"_s, u"A50285BI"_s,
         u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s},
        {u"/dev/ttyACM0"_s, u"USB Serial"_s, u"Silicon Labs"_s, {}, {}}};
    s.window->shell().setPortScan([&found] { return found; });
    s.window->shell().pollPorts();
    QComboBox* list = s.panel()->cmb_Porta;
    QCOMPARE(list->count(), 18);
    QCOMPARE(list->itemData(16).toString(),
             u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s);
    list->setCurrentIndex(17);
    found.prepend({u"/dev/ttyUSB1"_s, u"USB-Serial Controller"_s, u"Prolific"_s, {}, {}});
    s.window->shell().pollPorts();
    QCOMPARE(list->count(), 19);
    QCOMPARE(list->currentText(), u"ttyACM0 \u2014 USB Serial (Silicon Labs)"_s);
    // What the user typed stays typed.
    list->setEditText(u"/dev/ttyS9"_s);
    found.removeFirst();
    s.window->shell().pollPorts();
    QCOMPARE(list->count(), 18);
    QCOMPARE(list->currentText(), u"/dev/ttyS9"_s);

    // The panel with its list open, as one picture.
    s.chooseLanguage(1);
    list->setCurrentIndex(16);
    list->lineEdit()->setCursorPosition(0);
    list->showPopup();
    QWidget* popup = list->view()->window();
    QTRY_VERIFY(popup->isVisible());
    QWidget* panel = s.window->panelWindow();
    const QPoint at = popup->mapToGlobal(QPoint()) - panel->mapToGlobal(QPoint());
    QPixmap shot(QSize(qMax(panel->width(), at.x() + popup->width()),
                       qMax(panel->height(), at.y() + popup->height())));
    shot.fill(Qt::white);
    QPainter painter(&shot);
    painter.drawPixmap(0, 0, panel->grab());
    painter.drawPixmap(at, popup->grab());
    painter.end();
    screenshot(shot, "portlist-en.png");
    list->hidePopup();
}

QTEST_MAIN(TestCommLog)
#include "tst_commlog.moc"
