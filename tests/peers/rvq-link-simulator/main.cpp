// The link simulator as a program: listens on 127.0.0.1 and prints "READY <port>" once it
// accepts connections.
#include "CRVQLinkSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Camera system at the far end of the binary command link"));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port to listen on (0: any)."),
                                        QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption hardwareIdOption(QStringLiteral("hardware-id"), QStringLiteral("Hardware id to report."),
                                              QStringLiteral("id"), QStringLiteral("ZPX_1.0 V01"));
    const QCommandLineOption versionOption(QStringLiteral("software-version"),
                                           QStringLiteral("Software version to report."), QStringLiteral("version"),
                                           QStringLiteral("2.4.1"));
    const QCommandLineOption controlTakenOption(QStringLiteral("control-taken"),
                                                QStringLiteral("Pretend another client holds the control."));
    const QCommandLineOption notReadyOption(QStringLiteral("not-ready"), QStringLiteral("Report the system not ready."));
    const QCommandLineOption addressOption(QStringLiteral("address"),
                                           QStringLiteral("Loopback address to listen on (default 127.0.0.1)."),
                                           QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    parser.addOptions({addressOption, portOption, hardwareIdOption, versionOption, controlTakenOption, notReadyOption});
    parser.process(app);

    CRVQLinkSimulator simulator;
    simulator.setHardwareId(parser.value(hardwareIdOption));
    simulator.setSoftwareVersion(parser.value(versionOption));
    simulator.setControlHeldByOtherClient(parser.isSet(controlTakenOption));
    simulator.setReady(!parser.isSet(notReadyOption));
    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    const QHostAddress address(parser.value(addressOption));
    if (!portOk || port > 65535 || !simulator.listen(address, static_cast<quint16>(port))) {
        std::fprintf(stderr, "cannot listen on %s:%s\n", qPrintable(parser.value(addressOption)),
                     qPrintable(parser.value(portOption)));
        return 1;
    }
    std::printf("READY %u\n", static_cast<unsigned>(simulator.port()));
    std::fflush(stdout);
    return app.exec();
}
