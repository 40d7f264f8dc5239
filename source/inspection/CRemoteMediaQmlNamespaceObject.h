#pragma once

#include <QObject>

class CQmlRemoteMediaCapture;
class CQmlRemoteMediaStorage;

// What QML sees as "remoteMedia": capture on the camera's own storage and that storage, each a
// wrapper over the systems library's facade. The wrappers are made in the constructor and deleted
// in the destructor; the facades outlive them. GUI thread only.
class CRemoteMediaQmlNamespaceObject : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject* capture READ capture CONSTANT)
    Q_PROPERTY(QObject* storage READ storage CONSTANT)

public:
    explicit CRemoteMediaQmlNamespaceObject(QObject* parent = nullptr);
    ~CRemoteMediaQmlNamespaceObject() override;

    QObject* capture() const;
    QObject* storage() const;

private:
    CQmlRemoteMediaCapture* m_capture = nullptr; // owned
    CQmlRemoteMediaStorage* m_storage = nullptr; // owned
};
