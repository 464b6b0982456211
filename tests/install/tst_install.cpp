// What `cmake --install` puts on a user's machine, and whether the texts installed beside the
// programs (menu entry, metainfo, manual pages, completion) still describe them.
#include "clirun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kSource = QStringLiteral(VANTELSO_SOURCE_DIR);
const QString kMetainfo = u"com.example.merovan.vantelso.metainfo.xml"_s;

QString readText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The commands and options a --help text offers. Commands are the leading lower-case words of
// each two-space-indented line of its "Commands:" list ("eeprom read|write|verify FILE" gives
// eeprom, read, write and verify; "sim/--demo" gives sim and --demo); options are every option
// in those lines' synopses (the part before the description column, also on continuation
// lines that start with "[" or "-") and in the "Options:" list.
QStringList helpWords(const QString& help) {
    static const QRegularExpression gap(u"\\s{2,}"_s);
    static const QRegularExpression option(u"(?:^|[\\s\\[|/(,])(--?[a-z][a-z0-9-]*)"_s);
    static const QRegularExpression commandWord(u"^[a-z][a-z0-9|/-]*$"_s);
    QStringList words;
    enum { None, Commands, Options } section = None;
    for (const QString& line : help.split(u'\n')) {
        if (line.trimmed().isEmpty())
            continue;
        if (!line.startsWith(u' ')) {
            section = line == u"Commands:"_s ? Commands : line == u"Options:"_s ? Options : None;
            continue;
        }
        const QString text = line.trimmed();
        const QString synopsis = text.split(gap).first();
        const bool topLevel = line.startsWith(u"  "_s) && line.at(2) != u' ';
        for (const QString& token : synopsis.split(u' ')) {
            if (section != Commands || !topLevel || !commandWord.match(token).hasMatch())
                break;
            for (const QString& w : token.split(QRegularExpression(u"[|/]"_s), Qt::SkipEmptyParts))
                if (!w.startsWith(u'-'))
                    words << w;
        }
        const bool continuation = text.startsWith(u'[') || text.startsWith(u'-');
        if (section != None && (topLevel || (section == Commands && continuation)))
            for (auto it = option.globalMatch(synopsis); it.hasNext();)
                words << it.next().captured(1);
    }
    words.removeDuplicates();
    return words;
}

} // namespace

class InstallTest : public QObject {
    Q_OBJECT

private slots:
    // The install as the Debian package makes it (prefix /usr under a staging folder): every
    // file expected and nothing else, so nothing lands outside the prefix or sneaks in.
    void installedFiles() {
        QTemporaryDir stage;
        QVERIFY(stage.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DESTDIR"_s, stage.path());
        const CliRun r = runProgram(
            QStringLiteral(VANTELSO_CMAKE),
            {u"--install"_s, QStringLiteral(VANTELSO_BINARY_DIR), u"--prefix"_s, u"/usr"_s}, env);
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));

        QStringList found;
        QDirIterator it(stage.path(), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(QDir(stage.path()).relativeFilePath(it.next()));
        QStringList expected({u"usr/bin/vantelso-cli"_s, u"usr/share/man/man1/vantelso-cli.1.gz"_s,
                              u"usr/share/bash-completion/completions/vantelso-cli"_s});
#ifdef VANTELSO_GUI
        expected << u"usr/bin/vantelso"_s << u"usr/share/man/man1/vantelso.1.gz"_s
                 << u"usr/share/applications/vantelso.desktop"_s
                 << u"usr/share/metainfo/"_s + kMetainfo
                 << u"usr/share/icons/hicolor/scalable/apps/vantelso.svg"_s;
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            expected << u"usr/share/icons/hicolor/%1x%1/apps/vantelso.png"_s.arg(size);
#endif
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);

        QVERIFY(QFileInfo(stage.path() + u"/usr/bin/vantelso-cli"_s).isExecutable());
#ifdef VANTELSO_GUI
        // The menu entry starts the installed program with the installed icon, and the
        // metainfo points at that entry.
        const QString entry =
            readText(stage.path() + u"/usr/share/applications/vantelso.desktop"_s);
        const QString exec = QRegularExpression(u"(?m)^Exec=(\\S+)"_s).match(entry).captured(1);
        const QString icon = QRegularExpression(u"(?m)^Icon=(\\S+)"_s).match(entry).captured(1);
        QVERIFY(QFileInfo(stage.path() + u"/usr/bin/"_s + exec).isExecutable());
        QVERIFY(QFile::exists(stage.path() +
                              u"/usr/share/icons/hicolor/48x48/apps/%1.png"_s.arg(icon)));
        const QString meta = readText(stage.path() + u"/usr/share/metainfo/"_s + kMetainfo);
        QVERIFY(meta.contains(QLatin1String("<launchable type=\"desktop-id\">vantelso.desktop<")));
#endif
    }

    // The validators' own verdict: menus and software centres skip or misfile an entry they
    // find faulty (a desktop entry without a main category lands in a catch-all section, which
    // the validator reports only as a hint).
    void validators() {
#ifdef VANTELSO_GUI
        // The tool, its arguments, the package that brings it and whether any output (hints
        // included) is a finding.
        const std::tuple<QString, QStringList, QString, bool> rows[] = {
            std::tuple(u"desktop-file-validate"_s,
                       QStringList{kSource + u"/dist/vantelso.desktop"_s}, u"desktop-file-utils"_s,
                       true),
            std::tuple(u"appstreamcli"_s,
                       QStringList{u"validate"_s, u"--no-net"_s, kSource + u"/dist/"_s + kMetainfo},
                       u"appstream"_s, false)};
        for (const auto& [tool, args, package, silent] : rows) {
            const QString path = QStandardPaths::findExecutable(tool);
            QVERIFY2(!path.isEmpty(),
                     qPrintable(tool + u" not found: scripts/deps installs "_s + package));
            const CliRun r = runProgram(path, args, QProcessEnvironment::systemEnvironment());
            QVERIFY2(r.exitCode == 0 && (!silent || (r.out + r.err).isEmpty()),
                     qPrintable(tool + u": "_s + r.out + r.err));
        }
#endif
    }

    void pagesNameHelp_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("page");       // the manual pages (".1") are roff
        QTest::addColumn<QStringList>("sample"); // words the parse must find, so it is no no-op
        const QString cli = QStringLiteral(VANTELSO_CLI);
        QTest::newRow("vantelso-cli.1")
            << cli << u"dist/man/vantelso-cli.1"_s
            << QStringList{u"eeprom"_s, u"verify"_s, u"--port"_s, u"--input-b"_s};
        QTest::newRow("completion")
            << cli << u"dist/completion/vantelso-cli"_s << QStringList{u"monitor"_s, u"--csv"_s};
#ifdef VANTELSO_GUI
        QTest::newRow("vantelso.1") << QStringLiteral(VANTELSO_GUI) << u"dist/man/vantelso.1"_s
                                    << QStringList{u"--demo"_s, u"--brand"_s};
#endif
    }
    // Every command and option that --help prints is named in the page; a failure lists
    // exactly the missing words, so the page can be brought up to date in one go.
    void pagesNameHelp() {
        QFETCH(QString, program);
        QFETCH(QString, page);
        QFETCH(QStringList, sample);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        const CliRun help = runProgram(program, {u"--help"_s}, env);
        QVERIFY2(help.exitCode == 0, qPrintable(help.err));
        const QStringList words = helpWords(help.out);
        for (const QString& w : sample)
            QVERIFY2(words.contains(w),
                     qPrintable(u"the --help parse missed "_s + w + u" in:\n"_s + help.out));

        // (a page that cannot be read names none of the words)
        QString text = readText(kSource + QLatin1Char('/') + page);
        // Manual page source as its reader sees the words: font changes dropped, "\-" a hyphen.
        if (page.endsWith(u".1"_s))
            text.remove(QRegularExpression(u"\\\\f(?:[BIRP]|\\[[A-Z]*\\])"_s))
                .replace(QLatin1String("\\-"), QLatin1String("-"));
        QStringList missing = words; // those not named as a whole word
        missing.removeIf([&](const QString& w) {
            const QString re = u"(?<![A-Za-z0-9-])%1(?![A-Za-z0-9-])"_s;
            return QRegularExpression(re.arg(QRegularExpression::escape(w))).match(text).hasMatch();
        });
        QVERIFY2(missing.isEmpty(),
                 qPrintable(page + u" does not name: "_s + missing.join(u", "_s) +
                            u" (printed by "_s + QFileInfo(program).fileName() + u" --help)"_s));
    }

    void completion_data() {
        // The words after "vantelso-cli", the last one being typed.
        QTest::addColumn<QStringList>("line");
        QTest::addColumn<QStringList>("offered");
        const auto w = [](const char* s) { return QString::fromLatin1(s).split(QLatin1Char(' ')); };
        QTest::newRow("commands") << w("")
                                  << w("bench diff dump eeprom identify load monitor ports "
                                       "read records report save show sim switches");
        QTest::newRow("prefix") << w("eep") << w("eeprom");
        QTest::newRow("after a port") << w("-p COM1 mon") << w("monitor");
        QTest::newRow("port names") << w("-p COM") << w("COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8");
        QTest::newRow("after a count") << w("--count 5 re") << w("read records report");
        QTest::newRow("eeprom actions") << w("eeprom ") << w("read verify write");
        QTest::newRow("bench actions") << w("bench ") << w("calibrate sim");
        QTest::newRow("models") << w("--demo RSX5") << w("RSX5035");
        QTest::newRow("bench model") << w("bench sim RSX704") << w("RSX7040");
        QTest::newRow("lettered models")
            << w("sim RSX7132") << w("RSX7132A RSX7132B RSX7132C RSX7132D");
        QTest::newRow("monitor options") << w("monitor --c") << w("--count --csv");
        QTest::newRow("calibrate options") << w("bench calibrate RSX7030 --g") << w("--gain-error");
        QTest::newRow("records options") << w("records --s") << w("--since");
        QTest::newRow("records subcommands") << w("records ") << w("certificate import");
        QTest::newRow("switch option") << w("switches --option ") << w("off on");
        QTest::newRow("switch inputs")
            << w("switches --model RSX7040 --in") << w("--input --input-b");
        QTest::newRow("typed value") << w("dump --bank ") << QStringList{};
        QTest::newRow("file") << w("show pl") << w("plant.VNT");
        QTest::newRow("import file") << w("records import pl") << w("plant.VNT");
    }
    // Completion as bash runs it on Tab, the words of the line in COMP_WORDS; the offers sorted.
    void completion() {
        QFETCH(QStringList, line);
        QFETCH(QStringList, offered);
        QTemporaryDir work; // an invalid one gives no file path, so the file cannot be made
        QVERIFY(QFile(work.filePath(u"plant.VNT"_s)).open(QIODevice::WriteOnly));
        const QString script = QStringLiteral(
            "source \"$COMPLETION\" && COMP_WORDS=(\"$@\") && COMP_CWORD=$(($# - 1)) && "
            "_vantelso_cli && for w in \"${COMPREPLY[@]}\"; do printf '%s\\n' \"$w\"; done | "
            "LC_ALL=C sort");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"COMPLETION"_s, kSource + u"/dist/completion/vantelso-cli"_s);
        const CliRun r =
            runProgram(u"bash"_s, QStringList{u"-c"_s, script, u"bash"_s, u"vantelso-cli"_s} + line,
                       env, work.path());
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), offered);
    }
};

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"
