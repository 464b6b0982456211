#include "ptyserver.h"
#include "simdevice.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

using namespace vantelso::sim;

class TestSimPty : public QObject {
    Q_OBJECT
private:
    // Opens the slave side the way the program opens a device port.
    static bool openClient(QSerialPort& port, const QString& path) {
        port.setPortName(path);
        if (!port.open(QIODevice::ReadWrite))
            return false;
        port.setBaudRate(QSerialPort::Baud9600);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        port.setFlowControl(QSerialPort::NoFlowControl);
        port.setDataTerminalReady(true); // unsupported on some pseudo-terminals: not fatal
        port.clearError();
        return true;
    }

private Q_SLOTS:
    void handshakeAndIdentity() {
        SimDevice device(3, 0x20);
        PtyServer server;
        QString error;
        QVERIFY2(server.start(&device, &error), qPrintable(error));
        QVERIFY(server.slavePath().startsWith(QStringLiteral("/dev/")));

        QSerialPort port;
        QVERIFY2(openClient(port, server.slavePath()), qPrintable(port.errorString()));
        QByteArray got;
        connect(&port, &QSerialPort::readyRead, this, [&] { got += port.readAll(); });

        port.write("PR\r");
        QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("OK\r\n"), 5000);
        got.clear();
        // The address byte 13 travels unchanged: the line is raw in both directions.
        port.write(QByteArray("$V\x00\x00\x00\r", 6) + QByteArray("$R\x00\x0d\x00\r", 6));
        const QByteArray expected = QByteArray("*\x03\x01\x03\x0c\r\n", 7) +
                                    QByteArray("*\x00\x0d", 3) + char(device.memory(0, 13)) +
                                    "\r\n";
        QTRY_COMPARE_WITH_TIMEOUT(got, expected, 5000);
    }

    void vanishClosesThePort() {
        SimDevice device(0);
        PtyServer server;
        QString error;
        QVERIFY2(server.start(&device, &error), qPrintable(error));
        QSerialPort port;
        QVERIFY2(openClient(port, server.slavePath()), qPrintable(port.errorString()));
        QSignalSpy errors(&port, &QSerialPort::errorOccurred);

        device.injectFault({Fault::Kind::Vanish, "PR", 0, 1, 0});
        port.write("PR\r");
        QTRY_VERIFY_WITH_TIMEOUT(!server.isRunning(), 5000);
        QVERIFY(device.isGone());
        // With the master gone the line is hung up: the client's port reports an error
        // (a resource error on Linux).
        QTRY_VERIFY_WITH_TIMEOUT(port.error() != QSerialPort::NoError || !port.isOpen(), 5000);
        QVERIFY(!errors.isEmpty());
    }

    void startWithoutDevice() {
        PtyServer server;
        QString error;
        QVERIFY(!server.start(nullptr, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimPty)
#include "tst_sim_pty.moc"
