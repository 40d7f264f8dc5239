#include "inspection/CSystemQmlNamespaceObject.h"

CSystemQmlNamespaceObject::CSystemQmlNamespaceObject(QObject* parent)
    : QObject(parent)
{
}
