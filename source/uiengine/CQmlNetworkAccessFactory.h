#pragma once

#include <QQmlNetworkAccessManagerFactory>

// The network access of the QML engine. The program's screens load only their own resources
// (qrc:, file:) and reach peers through the services, never through QML; so a text that Qt
// would read as markup, or any other source, cannot make the engine fetch from the network.
// Every other address is refused with a log line. The UI engine owns the factory and keeps it
// until its QML engine has gone; create() runs on whichever thread the QML engine asks from.
class CQmlNetworkAccessFactory : public QQmlNetworkAccessManagerFactory
{
public:
    QNetworkAccessManager* create(QObject* parent) override;
};
