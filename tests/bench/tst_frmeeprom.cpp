// The EEPROM tool window in a desktop session, in the bench's Italian: Collaudo > EEprom
// shows it, the buttons read, edit, write, verify, save and load the bank, single values go
// both ways, and bad input or a silent device never passes for success.
// With VANTELSO_SCREENSHOTS set to a folder, a picture of the window is saved there.
#include "desktopsession.h"
#include "frmeeprom.h"
#include "windowtest.h"

using namespace vantelso;
using namespace Qt::StringLiterals;

namespace {

QString lastQuestion(const Session& s) {
    return s.prompter.questions().isEmpty() ? QString() : s.prompter.questions().last().text;
}

} // namespace

class TestFrmEeprom : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wholeBank() {
        Session s(u"RSX7030"_s);
        sim::SimDevice* dev = s.demo->device();
        QVERIFY(s.open());
        QVERIFY(!s.window->eepromSubWindow()->isVisible());
        s.window->mainMenu().eeprom->trigger();
        QVERIFY(s.window->eepromSubWindow()->isVisible());
        gui::FrmEeprom* w = s.window->eepromWindow();
        QCOMPARE(s.window->eepromSubWindow()->windowTitle(), u"EEPROM"_s);
        QCOMPARE(w->Command3->text(), u"Leggi EEprom"_s);
        QCOMPARE(w->Command2->text(), u"Carica da file EEprom.dat"_s);
        QCOMPARE(w->txt_banco->text(), u"0"_s);

        // Nothing to write yet: said, and nothing sent.
        dev->clearCommandLog();
        w->Command5->click();
        QVERIFY(lastQuestion(s).startsWith(u"Nessuna immagine da scrivere"_s));
        QCOMPARE(s.count("$W"), 0);

        w->Command3->click();
        QCOMPARE(w->List1->count(), 256);
        for (int a : {0, 4, 255})
            QCOMPARE(w->List1->item(a)->text(), u"%1\t%2"_s.arg(a).arg(dev->memory(0, a)));

        // A line edited by hand, then the whole bank written and read back.
        s.prompter.pushInput(u"77"_s);
        Q_EMIT w->List1->itemDoubleClicked(w->List1->item(7));
        QCOMPARE(w->List1->item(7)->text(), u"7\t77"_s);
        s.prompter.pushInput(u"300"_s); // refused, the line stays
        Q_EMIT w->List1->itemDoubleClicked(w->List1->item(7));
        QVERIFY(lastQuestion(s).contains(u"\"300\" non valido"_s));
        QCOMPARE(w->List1->item(7)->text(), u"7\t77"_s);
        dev->clearCommandLog();
        w->Command5->click();
        QCOMPARE(s.count("$W"), 256);
        QCOMPARE(dev->memory(0, 7), 77);
        QVERIFY2(w->lbl_stato->text().contains(u"0 errori"_s), qPrintable(w->lbl_stato->text()));

        // Verifica: the count in a box, the addresses in the list beside the image.
        dev->setMemory(0, 7, 5);
        w->Command7->click();
        QCOMPARE(lastQuestion(s), u"1 errori"_s);
        QCOMPARE(s.prompter.questions().last().icon, Prompter::Icon::Critical);
        QCOMPARE(w->lst_errori->count(), 1);
        QCOMPARE(w->lst_errori->item(0)->text(), u"7\t5\t77"_s);
        s.window->eepromSubWindow()->adjustSize();
        screenshot(s.window->eepromSubWindow(), "frm_eeprom.png");
        dev->setMemory(0, 7, 77);
        w->Command7->click();
        QCOMPARE(lastQuestion(s), u"0 errori"_s);
        QCOMPARE(s.prompter.questions().last().icon, Prompter::Icon::Critical);
        QCOMPARE(w->lst_errori->count(), 0);

        // Saved and loaded through the file dialogs.
        QTemporaryDir dir;
        const QString path = dir.filePath(u"EEprom.dat"_s);
        s.prompter.pushFile(path);
        w->Command6->click();
        QCOMPARE(s.prompter.fileDialogs.last().defaultSuffix, u"dat"_s);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        f.close();
        QCOMPARE(lines.size(), 257); // 256 lines and nothing after the last line end
        QCOMPARE(lines[7], QByteArray("77\r"));

        // A bad file is refused with its line and leaves the image as it was.
        const QString bad = dir.filePath(u"bad.dat"_s);
        QFile badFile(bad);
        QVERIFY(badFile.open(QIODevice::WriteOnly));
        badFile.write("1\n2\n3\nx\n");
        badFile.close();
        s.prompter.pushFile(bad);
        w->Command2->click();
        QVERIFY2(lastQuestion(s).contains(u"riga 4: \"x\" non è un numero intero"_s),
                 qPrintable(lastQuestion(s)));
        QCOMPARE(w->List1->item(7)->text(), u"7\t77"_s);
        s.prompter.pushFile(path);
        w->Command2->click();
        QCOMPARE(w->List1->count(), 256);

        // The device stops answering: a communication message, no count.
        dev->injectFault({sim::Fault::Kind::NoReply, "$R", 0, -1, 0});
        s.prompter.clear();
        w->Command7->click();
        for (const QString& text : s.prompter.texts())
            QVERIFY2(!text.contains(u"errori"_s), qPrintable(text));
        QVERIFY(lastQuestion(s).startsWith(u"Errore di comunicazione"_s));
        QVERIFY(w->lbl_stato->text().contains(u"verifica non eseguita"_s));
    }

    void singleValues() {
        Session s(u"RSX7030"_s);
        sim::SimDevice* dev = s.demo->device();
        QVERIFY(s.open());
        s.window->showEepromWindow();
        gui::FrmEeprom* w = s.window->eepromWindow();

        // A Float at L = 0, H = 128, Exp = 63 is 1.0.
        dev->setMemory(1, 100, 0);
        dev->setMemory(1, 101, 128);
        dev->setMemory(1, 102, 63);
        typeInto(w->txt_banco, u"1"_s);
        typeInto(w->txt_start, u"100"_s);
        w->Option2[2]->click();
        w->Command1->click();
        QCOMPARE(w->txt_valore->text(), u"1.0"_s);
        QCOMPARE(w->txt_valoreA->text(), u"0"_s);
        QCOMPARE(w->txt_valoreB->text(), u"128"_s);
        QCOMPARE(w->txt_valoreC->text(), u"63"_s);

        // Written as a value: the raw fields show the bytes that went out.
        typeInto(w->txt_valore, u"-2.5"_s);
        w->Command4->click();
        QCOMPARE(w->txt_valoreC->text(), u"192"_s);
        QCOMPARE(dev->memory(1, 101), 32);
        QCOMPARE(dev->memory(1, 102), 192);

        // Written as raw bytes, Int: L at the address, H after it.
        w->Option2[1]->click();
        w->Option1[1]->click();
        typeInto(w->txt_start, u"20"_s);
        typeInto(w->txt_valoreA, u"254"_s);
        typeInto(w->txt_valoreB, u"255"_s);
        w->Command4->click();
        QCOMPARE(w->txt_valore->text(), u"-2"_s);
        QCOMPARE(dev->memory(1, 20), 254);
        QCOMPARE(dev->memory(1, 21), 255);

        // Refused before anything is sent.
        struct Bad {
            const char* bank;
            const char* address;
            int format;
            int mode;
            const char* value;
            const char* says;
        };
        const Bad cases[] = {
            {"300", "0", 0, 0, "1", "Banco \"300\" non valido"},
            {"0", "254", 2, 0, "1", "Registro \"254\" non valido"},
            {"0", "x", 0, 0, "1", "Registro \"x\" non valido"},
            {"0", "0", 0, 0, "abc", "Valore \"abc\" non valido"},
            {"0", "0", 0, 0, "256", "Valore \"256\" non valido"},
            {"0", "0", 2, 0, "1,5", "non numerico"},
            {"0", "0", 0, 1, "256", "Byte L \"256\" non valido"},
        };
        dev->clearCommandLog();
        for (const Bad& c : cases) {
            typeInto(w->txt_banco, QLatin1String(c.bank));
            typeInto(w->txt_start, QLatin1String(c.address));
            w->Option2[std::size_t(c.format)]->click();
            w->Option1[std::size_t(c.mode)]->click();
            typeInto(c.mode == 0 ? w->txt_valore : w->txt_valoreA, QLatin1String(c.value));
            w->Command4->click();
            QVERIFY2(lastQuestion(s).contains(QLatin1String(c.says)), qPrintable(lastQuestion(s)));
        }
        QVERIFY(dev->commandLog().isEmpty());
    }
};

QTEST_MAIN(TestFrmEeprom)
#include "tst_frmeeprom.moc"
