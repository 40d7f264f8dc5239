#pragma once

#include <QObject>

// The place for reactions to the application being activated, hidden or suspended; this
// system has none yet, so the slot does nothing.
class CBackgroundExecutionHandler : public QObject
{
    Q_OBJECT

public:
    explicit CBackgroundExecutionHandler(QObject* parent = nullptr);

protected slots:
    virtual void onApplicationStateChanged(Qt::ApplicationState state);
};
