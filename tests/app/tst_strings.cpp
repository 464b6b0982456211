#include "stringtable.h"
#include "texts.h"

#include <QSignalSpy>
#include <QTest>

using vantelso::StringTable;
using vantelso::Texts;

namespace {

// Language base ids the program shows: the version entry and the caption/message range.
QList<int> languageBaseIds() {
    QList<int> ids{27};
    for (int id = 31; id <= 86; ++id)
        ids.append(id);
    return ids;
}

// Display-name fields each brand block must hold; block 3 names only the first thirteen.
int lastModelField(int brand) {
    return brand == 3 ? 22 : 29;
}

const char* const kModels[] = {
    "RSX7030",  "RSX7031A", "RSX7031B", "RSX7031C", "RSX7031D", "RSX7032A", "RSX7032B",
    "RSX7032C", "RSX7032D", "RSX7131A", "RSX7131B", "RSX7131C", "RSX7131D", "RSX7132A",
    "RSX7132B", "RSX7132C", "RSX7132D", "RSX7040",  "RSX7035",  "RSX5035",
};

} // namespace

class TestStrings : public QObject {
    Q_OBJECT

private slots:
    void knownAnswers_data();
    void knownAnswers();
    void everyLanguageStringInBothLanguages();
    void everyBrandBlockHasItsFields();
    void noUnexpectedIds();
    void langOffsetFollowsStringOne_data();
    void langOffsetFollowsStringOne();
    void langThroughSelection_data();
    void langThroughSelection();
    void languageSwitchRestores();
    void brandSelection();
    void modelDisplayName_data();
    void modelDisplayName();
    void modelOrderMatchesNames();
    void versionMatchesProductTitles();
    void manualFollowsLanguage_data();
    void manualFollowsLanguage();
    void familyDisplayName_data();
    void familyDisplayName();
    void parse_data();
    void parse();
};

void TestStrings::knownAnswers_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");

    QTest::newRow("1 language distance") << 1 << "300";
    QTest::newRow("27 version") << 27 << "2.7";
    QTest::newRow("327 version") << 327 << "2.7";
    QTest::newRow("31") << 31 << "DUPLIC.";
    QTest::newRow("331") << 331 << "DOUBLER";
    QTest::newRow("38") << 38 << "Apri Com";
    QTest::newRow("338") << 338 << "Open Com";
    QTest::newRow("52") << 52 << "Esci";
    QTest::newRow("352") << 352 << "Exit";
    QTest::newRow("56 trailing blank") << 56 << "Controllo Config. ";
    QTest::newRow("356 no trailing blank") << 356 << "Configuration Check";
    QTest::newRow("62 apostrophe") << 62
                                   << "Configurazione errata: L'ingresso del canale A deve essere "
                                      "una Tc con CJC Interno";
    QTest::newRow("67") << 67 << "Porta COM utilizzata da un altra applicazione";
    QTest::newRow("367") << 367 << "COM Port already in use";
    QTest::newRow("68") << 68 << "Errore di comunicazione";
    QTest::newRow("368") << 368 << "Communication error";
    QTest::newRow("69 accented") << 69
                                 << QString::fromUtf8("Il dispositivo \xc3\xa8 stato sostituito");
    QTest::newRow("369") << 369 << "Device Changed";
    QTest::newRow("75 accented") << 75
                                 << QString::fromUtf8("Attenzione: il file \xc3\xa8 stato salavato "
                                                      "con una versione differente del software");
    QTest::newRow("76 web address of block 1200") << 76 << "www.castrel.example.com";
    QTest::newRow("376 the same") << 376 << "www.castrel.example.com";
    QTest::newRow("378") << 378 << "MT_EN_AN_VANTELSO_0114R00.pdf";
    QTest::newRow("84") << 84 << "Funzioni";
    QTest::newRow("384") << 384 << "Functions";
    QTest::newRow("341") << 341 << "Function";
    QTest::newRow("1000") << 1000 << "Merovan srl";
    QTest::newRow("1002") << 1002 << "MT_ITA_VANTELSO_0114R00.pdf";
    QTest::newRow("1004") << 1004 << "VANTELSO v.2.7";
    QTest::newRow("1100 blank company") << 1100 << " ";
    QTest::newRow("1101 blank web") << 1101 << " ";
    QTest::newRow("1103 trailing blank") << 1103 << "MT_EN_AN_VANTELSO_0114R00.pdf ";
    QTest::newRow("1201 equals 76") << 1201 << "www.castrel.example.com";
    QTest::newRow("1203") << 1203 << "MT_EN_CASTREL_VANTELSO_0114R00.pdf";
    QTest::newRow("1302") << 1302 << "MT_IT_NRKELMA02_0608R01.pdf";
    QTest::newRow("1304") << 1304 << "KELMA-02 v.2.7";
}

void TestStrings::knownAnswers() {
    QFETCH(int, id);
    QFETCH(QString, expected);
    QVERIFY(StringTable::builtIn().contains(id));
    QCOMPARE(StringTable::builtIn().text(id), expected);
}

void TestStrings::everyLanguageStringInBothLanguages() {
    const StringTable& table = StringTable::builtIn();
    const int offset = table.text(1).toInt();
    QCOMPARE(offset, 300);
    for (int base : languageBaseIds()) {
        for (int id : {base, base + offset}) {
            QVERIFY2(table.contains(id), qPrintable(QString::number(id)));
            QVERIFY2(!table.text(id).isEmpty(), qPrintable(QString::number(id)));
        }
    }
}

void TestStrings::everyBrandBlockHasItsFields() {
    const StringTable& table = StringTable::builtIn();
    for (int brand = 0; brand < Texts::BrandCount; ++brand) {
        QList<int> fields{0, 1, 2, 3, 4};
        for (int f = Texts::FirstModelField; f <= lastModelField(brand); ++f)
            fields.append(f);
        for (int f : fields) {
            const int id = Texts::brandId(brand, f);
            QVERIFY2(table.contains(id), qPrintable(QString::number(id)));
            QVERIFY2(!table.text(id).isEmpty(), qPrintable(QString::number(id)));
        }
    }
    for (int f = 23; f <= 29; ++f)
        QVERIFY2(!table.contains(Texts::brandId(3, f)), qPrintable(QString::number(f)));
}

// A mistyped id would leave its intended slot empty and sit unused elsewhere.
void TestStrings::noUnexpectedIds() {
    QSet<int> expected{1};
    for (int base : languageBaseIds())
        expected << base << base + 300;
    for (int brand = 0; brand < Texts::BrandCount; ++brand) {
        for (int f = 0; f <= 4; ++f)
            expected << Texts::brandId(brand, f);
        for (int f = Texts::FirstModelField; f <= lastModelField(brand); ++f)
            expected << Texts::brandId(brand, f);
    }
    for (int id : StringTable::builtIn().ids())
        QVERIFY2(expected.contains(id), qPrintable(QString::number(id)));
}

void TestStrings::langOffsetFollowsStringOne_data() {
    QTest::addColumn<QByteArray>("stringOne");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("offset");

    QTest::newRow("300 Italian") << QByteArray("300") << int(Texts::Italian) << 0;
    QTest::newRow("300 English") << QByteArray("300") << int(Texts::English) << 300;
    QTest::newRow("500 English") << QByteArray("500") << int(Texts::English) << 500;
}

void TestStrings::langOffsetFollowsStringOne() {
    QFETCH(QByteArray, stringOne);
    QFETCH(int, language);
    QFETCH(int, offset);
    const StringTable table = StringTable::parse("1 \"" + stringOne + "\"\n");
    Texts texts(table);
    texts.setLanguage(Texts::Language(language));
    QCOMPARE(texts.langOffset(), offset);
}

void TestStrings::langThroughSelection_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("baseId");
    QTest::addColumn<QString>("expected");

    QTest::newRow("it 52") << int(Texts::Italian) << 52 << "Esci";
    QTest::newRow("en 52") << int(Texts::English) << 52 << "Exit";
    QTest::newRow("it 39") << int(Texts::Italian) << 39 << "Chiudi Com";
    QTest::newRow("en 39") << int(Texts::English) << 39 << "Close Com";
    QTest::newRow("it 86") << int(Texts::Italian) << 86 << "Fisico";
    QTest::newRow("en 86") << int(Texts::English) << 86 << "Physical";
    QTest::newRow("en 27") << int(Texts::English) << 27 << "2.7";
}

void TestStrings::langThroughSelection() {
    QFETCH(int, language);
    QFETCH(int, baseId);
    QFETCH(QString, expected);
    Texts texts;
    texts.setLanguage(Texts::Language(language));
    QCOMPARE(texts.lang(baseId), expected);
}

void TestStrings::languageSwitchRestores() {
    Texts texts;
    QCOMPARE(texts.langIndex(), int(Texts::Italian));
    QList<QString> italian;
    for (int base : languageBaseIds())
        italian.append(texts.lang(base));

    QSignalSpy spy(&texts, &Texts::languageChanged);
    texts.setLanguage(Texts::English);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(texts.langOffset(), 300);
    texts.setLanguage(Texts::English);
    QCOMPARE(spy.count(), 1);
    texts.setLanguage(Texts::Italian);
    QCOMPARE(spy.count(), 2);

    QList<QString> again;
    for (int base : languageBaseIds())
        again.append(texts.lang(base));
    QCOMPARE(again, italian);
}

void TestStrings::brandSelection() {
    Texts texts;
    QCOMPARE(texts.brandIndex(), 0);
    QCOMPARE(texts.brand(0), QStringLiteral("Merovan srl"));
    texts.setBrand(3);
    QCOMPARE(texts.productTitle(), QStringLiteral("KELMA-02 v.2.7"));
    texts.setBrand(4);
    texts.setBrand(-1);
    QCOMPARE(texts.brandIndex(), 3);
    // Brand and language are independent selections.
    texts.setLanguage(Texts::English);
    QCOMPARE(texts.brand(0), QStringLiteral("Orvane srl"));
}

void TestStrings::modelDisplayName_data() {
    QTest::addColumn<int>("brand");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("expected");

    QTest::newRow("0 7030") << 0 << "RSX7030"
                            << "RSX 7030";
    QTest::newRow("0 7031A") << 0 << "RSX7031A"
                             << "RSX 7031 A";
    QTest::newRow("0 7031D") << 0 << "RSX7031D"
                             << "RSX 7031 D";
    QTest::newRow("0 7032A") << 0 << "RSX7032A"
                             << "RSX 7032 A";
    QTest::newRow("0 7131C") << 0 << "RSX7131C"
                             << "RSX 7131 C";
    QTest::newRow("0 7132D") << 0 << "RSX7132D"
                             << "RSX 7132 D";
    QTest::newRow("0 7040") << 0 << "RSX7040"
                            << "RSX 7040";
    QTest::newRow("0 7035") << 0 << "RSX7035"
                            << "RSX 7035";
    QTest::newRow("0 5035") << 0 << "RSX5035"
                            << "RSX 5035";
    QTest::newRow("1 7131B") << 1 << "RSX7131B"
                             << "RSX 7131 B";
    QTest::newRow("2 7030") << 2 << "RSX7030"
                            << "KV-7030";
    QTest::newRow("2 7031A") << 2 << "RSX7031A"
                             << "KV-7031 A";
    QTest::newRow("2 5035") << 2 << "RSX5035"
                            << "KV-5035";
    QTest::newRow("3 7030") << 3 << "RSX7030"
                            << "NR6126";
    QTest::newRow("3 7031A") << 3 << "RSX7031A"
                             << "NR6127";
    QTest::newRow("3 7131D last named") << 3 << "RSX7131D"
                                        << "NR6138";
    QTest::newRow("3 7132A unnamed") << 3 << "RSX7132A"
                                     << "";
    QTest::newRow("3 7040 unnamed") << 3 << "RSX7040"
                                    << "";
    QTest::newRow("3 5035 unnamed") << 3 << "RSX5035"
                                    << "";
    QTest::newRow("bench-only model") << 0 << "5010OEM"
                                      << "";
    QTest::newRow("family without letter") << 0 << "RSX7031"
                                           << "";
    QTest::newRow("lower case") << 0 << "rsx7030"
                                << "";
    QTest::newRow("empty") << 0 << ""
                           << "";
}

void TestStrings::modelDisplayName() {
    QFETCH(int, brand);
    QFETCH(QString, model);
    QFETCH(QString, expected);
    Texts texts;
    texts.setBrand(brand);
    QCOMPARE(texts.modelDisplayName(model), expected);
}

// The names of blocks 0 to 2 spell their identifiers, so every field sits in the right slot.
void TestStrings::modelOrderMatchesNames() {
    Texts texts;
    for (int brand = 0; brand <= 2; ++brand) {
        texts.setBrand(brand);
        int field = Texts::FirstModelField;
        for (const char* model : kModels) {
            const QString id = QLatin1String(model);
            QCOMPARE(Texts::modelField(id), field);
            QString name = texts.modelDisplayName(id);
            name.replace(QLatin1String("KV-"), QLatin1String("RSX"));
            name.remove(QLatin1Char(' '));
            QCOMPARE(name, id);
            ++field;
        }
    }
}

// Configuration files carry the number parsed from the version entry; it must agree with the
// version every product title shows.
void TestStrings::versionMatchesProductTitles() {
    Texts texts;
    const QString version = texts.versionText();
    bool ok = false;
    QCOMPARE(version.toDouble(&ok), 2.7);
    QVERIFY(ok);
    texts.setLanguage(Texts::English);
    QCOMPARE(texts.versionText(), version);
    for (int brand = 0; brand < Texts::BrandCount; ++brand) {
        texts.setBrand(brand);
        QVERIFY2(texts.productTitle().endsWith(QLatin1String(" v.") + version),
                 qPrintable(texts.productTitle()));
    }
}

void TestStrings::manualFollowsLanguage_data() {
    QTest::addColumn<int>("brand");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("expected");

    QTest::newRow("0 it") << 0 << int(Texts::Italian) << "MT_ITA_VANTELSO_0114R00.pdf";
    QTest::newRow("0 en") << 0 << int(Texts::English) << "MT_EN_VANTELSO_0114R00.pdf";
    QTest::newRow("1 en") << 1 << int(Texts::English) << "MT_EN_AN_VANTELSO_0114R00.pdf ";
    QTest::newRow("2 it") << 2 << int(Texts::Italian) << "MT_ITA_CASTREL_VANTELSO_0114R00.pdf";
    QTest::newRow("3 en") << 3 << int(Texts::English) << "MT_EN_NRKELMA02_0608R01.pdf";
}

void TestStrings::manualFollowsLanguage() {
    QFETCH(int, brand);
    QFETCH(int, language);
    QFETCH(QString, expected);
    Texts texts;
    texts.setBrand(brand);
    texts.setLanguage(Texts::Language(language));
    QCOMPARE(texts.manualFileName(), expected);
}

void TestStrings::familyDisplayName_data() {
    QTest::addColumn<int>("brand");
    QTest::addColumn<int>("variantByte");
    QTest::addColumn<QString>("expected");

    QTest::newRow("0 0x40") << 0 << 0x40 << "RSX 7132";
    QTest::newRow("0 0x75") << 0 << 0x75 << "RSX 7031";
    QTest::newRow("0 0x15 no family") << 0 << 0x15 << "";
    QTest::newRow("0 0x20 no family") << 0 << 0x20 << "";
    QTest::newRow("2 0x60") << 2 << 0x60 << "KV-7031";
    QTest::newRow("2 0xC0") << 2 << 0xC0 << "KV-7132";
    QTest::newRow("3 0x60") << 3 << 0x60 << "RSX 7031";
}

void TestStrings::familyDisplayName() {
    QFETCH(int, brand);
    QFETCH(int, variantByte);
    QFETCH(QString, expected);
    Texts texts;
    texts.setBrand(brand);
    QCOMPARE(texts.familyDisplayName(std::uint8_t(variantByte)), expected);
}

void TestStrings::parse_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("errorCount");
    QTest::addColumn<bool>("held");

    QTest::newRow("plain") << QByteArray("5 \"abc\"\n") << 5 << "abc" << 0 << true;
    QTest::newRow("blanks kept") << QByteArray("5 \" a \"  \n") << 5 << " a " << 0 << true;
    QTest::newRow("inner quotes") << QByteArray("5 \"say \"hi\"\"\n") << 5 << "say \"hi\"" << 0
                                  << true;
    QTest::newRow("empty text") << QByteArray("5 \"\"\n") << 5 << "" << 0 << true;
    QTest::newRow("crlf") << QByteArray("5 \"abc \"\r\n6 \"x\"\r\n") << 5 << "abc " << 0 << true;
    QTest::newRow("utf8") << QByteArray("5 \"\xc3\xa8\"") << 5 << QString(QChar(0xe8)) << 0 << true;
    QTest::newRow("comments") << QByteArray("# 5 \"no\"\n\n  # x\n5 \"yes\"\n") << 5 << "yes" << 0
                              << true;
    QTest::newRow("repeat keeps first")
        << QByteArray("5 \"a\"\n5 \"b\"\n") << 5 << "a" << 1 << true;
    QTest::newRow("no quotes") << QByteArray("5 abc\n") << 5 << "" << 1 << false;
    QTest::newRow("one quote") << QByteArray("5 \"abc\n") << 5 << "" << 1 << false;
    QTest::newRow("text after quote") << QByteArray("5 \"a\" b\n") << 5 << "" << 1 << false;
    QTest::newRow("missing id") << QByteArray("\"a\"\n") << 0 << "" << 1 << false;
    QTest::newRow("bad id") << QByteArray("5x \"a\"\n") << 5 << "" << 1 << false;
    QTest::newRow("negative id") << QByteArray("-5 \"a\"\n") << -5 << "" << 1 << false;
}

void TestStrings::parse() {
    QFETCH(QByteArray, data);
    QFETCH(int, id);
    QFETCH(QString, expected);
    QFETCH(int, errorCount);
    QFETCH(bool, held);
    QStringList errors;
    const StringTable table = StringTable::parse(data, &errors);
    QCOMPARE(errors.size(), errorCount);
    QCOMPARE(table.text(id), expected);
    QCOMPARE(table.contains(id), held);
}

QTEST_GUILESS_MAIN(TestStrings)
#include "tst_strings.moc"
