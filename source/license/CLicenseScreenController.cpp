#include "license/CLicenseScreenController.h"

#include <QFile>
#include <QTextStream>

CLicenseScreenController::CLicenseScreenController(QObject* parent)
    : QObject(parent)
{
    m_names << QStringLiteral("App") << QStringLiteral("GStreamer") << QStringLiteral("OpenSSL");
    const QStringList resources = {QStringLiteral(":/license/App.txt"), QStringLiteral(":/license/GStreamer.txt"),
                                   QStringLiteral(":/license/OpenSSL.txt")};
    for (const QString& path : resources) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            m_texts.append(QString());
            continue;
        }
        QTextStream stream(&file);
        m_texts.append(stream.readAll());
    }
}
