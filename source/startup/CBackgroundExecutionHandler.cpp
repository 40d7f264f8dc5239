#include "CBackgroundExecutionHandler.h"

#include <QGuiApplication>

CBackgroundExecutionHandler::CBackgroundExecutionHandler(QObject* parent)
    : QObject(parent)
{
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &CBackgroundExecutionHandler::onApplicationStateChanged);
}

void CBackgroundExecutionHandler::onApplicationStateChanged(Qt::ApplicationState state)
{
    Q_UNUSED(state)
}
