#include "inspection/CRemoteMediaQmlNamespaceObject.h"

CRemoteMediaQmlNamespaceObject::CRemoteMediaQmlNamespaceObject(QObject* parent)
    : QObject(parent)
{
}
