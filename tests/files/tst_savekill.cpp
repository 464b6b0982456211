// A program killed while it saves a ".VNT" file leaves the previous file or the new one,
// whole: never an empty, short or mixed one. A child process (this test started with
// --save-loop PATH) saves two different records over the same file as fast as it can and is
// killed outright at random moments.
#include "configfilerecord.h"
#include "texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace vantelso;

namespace {

ConfigFileRecord record(int which) {
    ConfigFileRecord r;
    r.version = 2.7;
    r.deviceCode = 12;
    r.modelByte = quint8(which);
    r.inputEnd = {100.0 + which, 200.0 + which};
    r.tripHigh = {800.0 * (which + 1), 0};
    return r;
}

int saveLoop(const QString& path) {
    const Texts texts;
    QString error;
    std::printf("ready\n");
    std::fflush(stdout);
    for (quint64 n = 0;; ++n)
        if (!record(int(n % 2)).save(path, texts, &error))
            return 1;
}

} // namespace

class TestSaveKill : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWhileSaving() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kill.VNT"));
        const QByteArray whole[] = {record(0).toBytes(), record(1).toBytes()};
        QString error;
        QVERIFY(record(0).save(path, Texts(), &error));
        QRandomGenerator random(16);
        for (int round = 0; round < 40; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--save-loop"), path});
            QVERIFY(child.waitForStarted(5000));
            QVERIFY(child.waitForReadyRead(5000));
            QTest::qSleep(int(random.bounded(1, 25))); // somewhere inside some save
            child.kill();                              // SIGKILL: no chance to tidy up
            QVERIFY(child.waitForFinished(5000));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            QVERIFY2(bytes == whole[0] || bytes == whole[1],
                     qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(bytes.size())));
        }
        // The file opens as a record afterwards; what a kill leaves besides it is at most the
        // unfinished temporary copy next to it.
        QVERIFY(ConfigFileRecord::load(path, Texts(), &error).has_value());
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--save-loop")
        return saveLoop(QString::fromLocal8Bit(argv[2]));
    TestSaveKill test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_savekill.moc"
