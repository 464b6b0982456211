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
    void tableIsComplete();
    void langOffsetFollowsStringOne();
    void languageAndBrandSelection();
    void displayNames();
    void modelOrderMatchesNames();
    void parse_data();
    void parse();
};

void TestStrings::knownAnswers_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");
    const auto row = [](int id, const QString& text) { QTest::addRow("%d", id) << id << text; };
    row(1, QStringLiteral("300"));                 // distance between the languages
    row(56, QStringLiteral("Controllo Config. ")); // trailing blank kept
    row(356, QStringLiteral("Configuration Check"));
    row(62, QStringLiteral("Configurazione errata: L'ingresso del canale A deve essere una Tc "
                           "con CJC Interno"));
    row(69, QString::fromUtf8("Il dispositivo \xc3\xa8 stato sostituito"));
    row(376, QStringLiteral("www.castrel.example.com")); // the web address of block 1200
    row(1000, QStringLiteral("Merovan srl"));
    row(1100, QStringLiteral(" ")); // blank company
    row(1103, QStringLiteral("MT_EN_AN_VANTELSO_0114R00.pdf "));
    row(1203, QStringLiteral("MT_EN_CASTREL_VANTELSO_0114R00.pdf"));
    row(1302, QStringLiteral("MT_IT_NRKELMA02_0608R01.pdf"));
}

void TestStrings::knownAnswers() {
    QFETCH(int, id);
    QFETCH(QString, expected);
    QCOMPARE(StringTable::builtIn().text(id), expected);
}

// Every id the program asks for is there and not empty, and no other id is: a mistyped id
// would leave its intended slot empty and sit unused elsewhere.
void TestStrings::tableIsComplete() {
    const StringTable& table = StringTable::builtIn();
    QSet<int> expected{1};
    for (int base : languageBaseIds())
        expected << base << base + 300;
    for (int brand = 0; brand < Texts::BrandCount; ++brand) {
        for (int f = 0; f <= 4; ++f)
            expected << Texts::brandId(brand, f);
        // Block 3 names only the first thirteen models.
        for (int f = Texts::FirstModelField; f <= (brand == 3 ? 22 : 29); ++f)
            expected << Texts::brandId(brand, f);
    }
    for (int id : expected)
        QVERIFY2(!table.text(id).isEmpty(), qPrintable(QString::number(id)));
    for (int id : table.ids())
        QVERIFY2(expected.contains(id), qPrintable(QString::number(id)));
    for (int f = 23; f <= 29; ++f)
        QVERIFY(!table.contains(Texts::brandId(3, f)));
}

void TestStrings::langOffsetFollowsStringOne() {
    const StringTable table = StringTable::parse("1 \"500\"\n");
    Texts texts(table);
    QCOMPARE(texts.langOffset(), 0);
    texts.setLanguage(Texts::English);
    QCOMPARE(texts.langOffset(), 500);
}

void TestStrings::languageAndBrandSelection() {
    Texts texts;
    const auto all = [&] {
        QStringList out;
        for (int base : languageBaseIds())
            out << texts.lang(base);
        return out;
    };
    const QStringList italian = all();
    QSignalSpy spy(&texts, &Texts::languageChanged);
    texts.setLanguage(Texts::English);
    QCOMPARE(texts.versionText(), QStringLiteral("2.7"));
    texts.setLanguage(Texts::English);
    QCOMPARE(spy.count(), 1);
    texts.setLanguage(Texts::Italian);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(all(), italian);

    // Out-of-range brands are ignored; brand and language are independent selections.
    texts.setBrand(3);
    texts.setBrand(4);
    texts.setBrand(-1);
    QCOMPARE(texts.brandIndex(), 3);
    texts.setLanguage(Texts::English);
    QCOMPARE(texts.brand(0), QStringLiteral("Orvane srl"));
    // Every product title shows the version that configuration files carry.
    for (int brand = 0; brand < Texts::BrandCount; ++brand) {
        texts.setBrand(brand);
        QVERIFY2(texts.productTitle().endsWith(QLatin1String(" v.2.7")),
                 qPrintable(texts.productTitle()));
    }
}

void TestStrings::displayNames() {
    Texts texts;
    const auto model = [&](int brand, const char* id) {
        texts.setBrand(brand);
        return texts.modelDisplayName(QLatin1String(id));
    };
    QCOMPARE(model(3, "RSX7030"), QStringLiteral("NR6126"));
    QCOMPARE(model(3, "RSX7131D"), QStringLiteral("NR6138")); // the last one block 3 names
    QCOMPARE(model(3, "RSX7132A"), QString());
    for (const char* unknown : {"5010OEM", "RSX7031", "rsx7030", ""}) // bench-only, no letter
        QCOMPARE(model(0, unknown), QString());
    const auto family = [&](int brand, int variantByte) {
        texts.setBrand(brand);
        return texts.familyDisplayName(std::uint8_t(variantByte));
    };
    QCOMPARE(family(0, 0x40), QStringLiteral("RSX 7132"));
    QCOMPARE(family(0, 0x75), QStringLiteral("RSX 7031"));
    QCOMPARE(family(0, 0x20), QString());
    QCOMPARE(family(2, 0xC0), QStringLiteral("KV-7132"));
    QCOMPARE(family(3, 0x60), QStringLiteral("RSX 7031"));
}

// The names of blocks 0 to 2 spell their identifiers, so every field sits in the right slot.
void TestStrings::modelOrderMatchesNames() {
    Texts texts;
    for (int brand = 0; brand <= 2; ++brand) {
        texts.setBrand(brand);
        int field = Texts::FirstModelField;
        for (const char* model : kModels) {
            const QString id = QLatin1String(model);
            QCOMPARE(Texts::modelField(id), field++);
            QString name = texts.modelDisplayName(id);
            name.replace(QLatin1String("KV-"), QLatin1String("RSX"));
            QCOMPARE(name.remove(QLatin1Char(' ')), id);
        }
    }
}

void TestStrings::parse_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected"); // empty: the id is not held
    QTest::addColumn<int>("errorCount");
    const auto row = [](const char* name, const QByteArray& data, int id, const QString& text,
                        int errors) { QTest::newRow(name) << data << id << text << errors; };
    row("blanks kept", "5 \" a \"  \n", 5, QStringLiteral(" a "), 0);
    row("inner quotes", "5 \"say \"hi\"\"\n", 5, QStringLiteral("say \"hi\""), 0);
    row("crlf", "5 \"abc \"\r\n6 \"x\"\r\n", 5, QStringLiteral("abc "), 0);
    row("utf8", "5 \"\xc3\xa8\"", 5, QString(QChar(0xe8)), 0);
    row("comments", "# 5 \"no\"\n\n  # x\n5 \"yes\"\n", 5, QStringLiteral("yes"), 0);
    row("repeat keeps first", "5 \"a\"\n5 \"b\"\n", 5, QStringLiteral("a"), 1);
    row("no quotes", "5 abc\n", 5, {}, 1);
    row("text after quote", "5 \"a\" b\n", 5, {}, 1);
    row("bad id", "5x \"a\"\n", 5, {}, 1);
    row("negative id", "-5 \"a\"\n", -5, {}, 1);
}

void TestStrings::parse() {
    QFETCH(QByteArray, data);
    QFETCH(int, id);
    QFETCH(QString, expected);
    QFETCH(int, errorCount);
    QStringList errors;
    const StringTable table = StringTable::parse(data, &errors);
    QCOMPARE(errors.size(), errorCount);
    QCOMPARE(table.text(id), expected);
    QCOMPARE(table.contains(id), !expected.isEmpty());
    QVERIFY(StringTable::parse("5 \"\"\n").contains(5)); // an empty text is still held
}

QTEST_GUILESS_MAIN(TestStrings)
#include "tst_strings.moc"
