#include "failingrow.h"
#include "owntexts.h"
#include "texts.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using vantelso::StringTable;
using vantelso::Texts;

namespace {

const char* const kModels[] = {
    "RSX7030",  "RSX7031A", "RSX7031B", "RSX7031C", "RSX7031D", "RSX7032A", "RSX7032B",
    "RSX7032C", "RSX7032D", "RSX7131A", "RSX7131B", "RSX7131C", "RSX7131D", "RSX7132A",
    "RSX7132B", "RSX7132C", "RSX7132D", "RSX7040",  "RSX7035",  "RSX5035",
};

} // namespace

class TestStrings : public QObject {
    Q_OBJECT

private slots:
    // Every id the program asks for is there and not empty, and no other id is: a mistyped id
    // would leave its intended slot empty and sit unused elsewhere.
    void tableIsComplete() {
        const StringTable& table = StringTable::builtIn();
        // The version entry and the caption/message range, in both languages.
        QSet<int> expected{1, 27, 327};
        for (int id = 31; id <= 86; ++id)
            expected << id << id + 300;
        // The program's own texts, every id the header declares, in both languages with the same
        // placeholders. Read from the header so that an id added there is checked here too.
        QFile header(QString::fromUtf8(OWNTEXTS_H));
        QVERIFY(header.open(QIODevice::ReadOnly));
        QList<int> own;
        static const QRegularExpression declared(QStringLiteral("constexpr int \\w+ = (\\d+);"));
        for (auto it = declared.globalMatch(QString::fromUtf8(header.readAll())); it.hasNext();)
            own << it.next().captured(1).toInt();
        QVERIFY(own.size() > 100);
        // "1-3------": the placeholders %1 to %9 a text holds.
        const auto marks = [&](int id) {
            QString found;
            for (char d = '1'; d <= '9'; ++d)
                found += table.text(id).contains(QStringLiteral("%") + QChar(d)) ? QChar(d) : u'-';
            return found;
        };
        for (int id : own) {
            const FailingRow row(QString::number(id));
            // Two blocks, 101..199 and 201..299: English sits 300 above each.
            QVERIFY((id > 100 && id < 200) || (id > 200 && id < 300));
            expected << id << id + 300;
            QCOMPARE(marks(id), marks(id + 300));
            // A text left untranslated reads the same in both; only "No" may.
            if (id != vantelso::own::ButtonNo)
                QVERIFY2(table.text(id) != table.text(id + 300), qPrintable(table.text(id)));
        }
        // Fields 0 to 4 of each brand block, then its models; block 3 names only the first
        // thirteen models.
        for (int brand = 0; brand < Texts::BrandCount; ++brand)
            for (int f = 0; f <= (brand == 3 ? 22 : 29); ++f)
                if (f <= 4 || f >= Texts::FirstModelField)
                    expected << Texts::brandId(brand, f);
        for (int id : expected)
            QVERIFY2(!table.text(id).isEmpty(), qPrintable(QString::number(id)));
        for (int id : table.ids()) // so block 3 holds no model past the thirteenth
            QVERIFY2(expected.contains(id), qPrintable(QString::number(id)));

        // The distance between the languages, the web address of block 1200, a blank company.
        for (const auto& [id, text] :
             {std::pair(1, "300"), std::pair(69, "Il dispositivo \xc3\xa8 stato sostituito"),
              std::pair(376, "www.castrel.example.com"), std::pair(1100, " "),
              std::pair(1103, "MT_EN_AN_VANTELSO_0114R00.pdf "),
              std::pair(1302, "MT_IT_NRKELMA02_0608R01.pdf")})
            QCOMPARE(table.text(id), QString::fromUtf8(text));
    }

    void languageAndBrandSelection() {
        const StringTable table = StringTable::parse("1 \"500\"\n");
        Texts ruled(table);
        ruled.setLanguage(Texts::English);
        QCOMPARE(ruled.langOffset(), 500);

        Texts texts;
        QSignalSpy spy(&texts, &Texts::languageChanged);
        texts.setLanguage(Texts::English);
        QCOMPARE(texts.versionText(), QStringLiteral("2.7"));
        texts.setLanguage(Texts::English);
        texts.setLanguage(Texts::Italian);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(texts.lang(56), QStringLiteral("Controllo Config. ")); // trailing blank kept

        // Out-of-range brands are ignored; brand and language are independent selections.
        for (int brand : {3, 4, -1})
            texts.setBrand(brand);
        QCOMPARE(texts.brandIndex(), 3);
        texts.setLanguage(Texts::English);
        QCOMPARE(texts.brand(0), QStringLiteral("Orvane srl"));
        // Every product title shows the version that configuration files carry.
        for (int brand = 0; brand < Texts::BrandCount; ++brand) {
            const FailingRow row(QStringLiteral("brand %1").arg(brand));
            texts.setBrand(brand);
            QVERIFY(texts.productTitle().endsWith(QLatin1String(" v.2.7")));
        }
    }

    void displayNames() {
        Texts texts;
        const auto model = [&](int brand, const char* id) {
            texts.setBrand(brand);
            return texts.modelDisplayName(QLatin1String(id));
        };
        // RSX7131D is the last model block 3 names; a bench-only model, an identifier without
        // its letter or in lower case has no name.
        // clang-format off
        for (const auto& [brand, id, name] : {std::tuple{3, "RSX7030", "NR6126"},
                 {3, "RSX7131D", "NR6138"}, {3, "RSX7132A", ""}, {0, "5010OEM", ""},
                 {0, "RSX7031", ""}, {0, "rsx7030", ""}, {0, "", ""}}) {
            // clang-format on
            const FailingRow row(QString::asprintf("brand %d %s", brand, id));
            QCOMPARE(model(brand, id), QString::fromLatin1(name));
        }
        // Family names by the variant byte, for brand 0 (the last one chosen) and brand 2.
        QCOMPARE(texts.familyDisplayName(0x75), QStringLiteral("RSX 7031"));
        QCOMPARE(texts.familyDisplayName(0x20), QString());
        texts.setBrand(2);
        QCOMPARE(texts.familyDisplayName(0xC0), QStringLiteral("KV-7132"));
        // The names of blocks 0 to 2 spell their identifiers, so every field sits in the right
        // slot.
        for (int brand = 0; brand <= 2; ++brand) {
            int field = Texts::FirstModelField;
            for (const char* id : kModels) {
                const FailingRow row(QString::asprintf("brand %d %s", brand, id));
                QCOMPARE(Texts::modelField(QLatin1String(id)), field++);
                QCOMPARE(model(brand, id)
                             .replace(QLatin1String("KV-"), QLatin1String("RSX"))
                             .remove(u' '),
                         QLatin1String(id));
            }
        }
    }

    void parse() {
        const std::tuple<QByteArray, int, const char*, int> rows[] = {
            // "": the id is not held
            {"5 \" a \"  \n", 5, " a ", 0},
            {"5 \"say \"hi\"\"\n", 5, "say \"hi\"", 0},
            {"5 \"abc \"\r\n6 \"x\"\r\n", 5, "abc ", 0},
            {"5 \"\xc3\xa8\"", 5, "\xc3\xa8", 0},
            {"# 5 \"no\"\n\n  # x\n5 \"yes\"\n", 5, "yes", 0},
            {"5 \"a\"\n5 \"b\"\n", 5, "a", 1}, // a repeat keeps the first
            {"5 abc\n", 5, "", 1},
            {"5 \"a\" b\n", 5, "", 1},
            {"5x \"a\"\n", 5, "", 1},
            {"-5 \"a\"\n", -5, "", 1},
        };
        for (const auto& [data, id, expected, errorCount] : rows) {
            const FailingRow row(QString::fromUtf8(data.simplified()));
            QStringList errors;
            const StringTable table = StringTable::parse(data, &errors);
            QCOMPARE(errors.size(), errorCount);
            QCOMPARE(table.text(id), QString::fromUtf8(expected));
            QCOMPARE(table.contains(id), *expected != 0);
        }
        QVERIFY(StringTable::parse("5 \"\"\n").contains(5)); // an empty text is still held
    }
};

QTEST_GUILESS_MAIN(TestStrings)
#include "tst_strings.moc"
