#include "inspection/CLiveVideoQmlNamespaceObject.h"

CLiveVideoQmlNamespaceObject::CLiveVideoQmlNamespaceObject(QObject* parent)
    : QObject(parent)
{
}
