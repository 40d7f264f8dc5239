#include "inspection/QmlFacadeWrapping.h"

#include <CLogger.h>

#include <QMetaMethod>

namespace QmlFacadeWrapping {

void relaySignals(QObject* facade, QObject* wrapper, std::initializer_list<std::pair<const char*, const char*>> renamed)
{
    if (!facade || !wrapper)
        return;
    const QMetaObject* wrapperMeta = wrapper->metaObject();
    const QMetaObject* facadeMeta = facade->metaObject();
    for (int i = wrapperMeta->methodOffset(); i < wrapperMeta->methodCount(); ++i) {
        const QMetaMethod wrapperSignal = wrapperMeta->method(i);
        if (wrapperSignal.methodType() != QMetaMethod::Signal)
            continue;
        QByteArray facadeName = wrapperSignal.name();
        for (const auto& entry : renamed) {
            if (facadeName == entry.first) {
                facadeName = entry.second;
                break;
            }
        }
        QByteArray facadeSignature = facadeName + '(' + wrapperSignal.parameterTypes().join(',') + ')';
        const int facadeIndex
            = facadeMeta->indexOfSignal(QMetaObject::normalizedSignature(facadeSignature.constData()));
        if (facadeIndex < 0 || !QMetaObject::connect(facade, facadeIndex, wrapper, i, Qt::DirectConnection)) {
            using Tovrin::Logging::CLogger;
            CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("QmlWrapper"),
                QStringLiteral("Signal cannot be relayed"),
                {QString::fromLatin1(wrapperMeta->className()), QString::fromLatin1(wrapperSignal.methodSignature()),
                    QString::fromLatin1(facadeMeta->className())});
        }
    }
}

} // namespace QmlFacadeWrapping
