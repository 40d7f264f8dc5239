#pragma once

#include <QObject>

class CQmlSystemCaps;
class CQmlSystemConnection;
class CQmlSystemControl;
class CQmlSystemReadouts;

// What QML sees as "system": the connection, readouts, control and capabilities of the connected
// inspection system, each a wrapper over the systems library's facade. The wrappers are made in the
// constructor and deleted in the destructor; the facades outlive them. GUI thread only.
class CSystemQmlNamespaceObject : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject* connection READ connection CONSTANT)
    Q_PROPERTY(QObject* readouts READ readouts CONSTANT)
    Q_PROPERTY(QObject* control READ control CONSTANT)
    Q_PROPERTY(QObject* caps READ caps CONSTANT)

public:
    explicit CSystemQmlNamespaceObject(QObject* parent = nullptr);
    ~CSystemQmlNamespaceObject() override;

    QObject* connection() const;
    QObject* readouts() const;
    QObject* control() const;
    QObject* caps() const;

private:
    CQmlSystemConnection* m_connection = nullptr; // owned
    CQmlSystemControl* m_control = nullptr; // owned
    CQmlSystemCaps* m_caps = nullptr; // owned
    CQmlSystemReadouts* m_readouts = nullptr; // owned
};
