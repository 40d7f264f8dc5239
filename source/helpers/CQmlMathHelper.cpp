#include "helpers/CQmlMathHelper.h"

#include "helpers/DistanceUnits.h"

CQmlMathHelper::CQmlMathHelper(QObject* parent)
    : QObject(parent)
{
}

double CQmlMathHelper::convertMetersToFeet(double value) const
{
    return ::convertMetersToFeet(value);
}

double CQmlMathHelper::convertFeetToMeters(double value) const
{
    return ::convertFeetToMeters(value);
}
