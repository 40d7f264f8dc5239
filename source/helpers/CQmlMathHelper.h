#pragma once

#include <QObject>

// Metre/foot conversion for QML, published by the UI engine as "mathHelper".
class CQmlMathHelper : public QObject
{
    Q_OBJECT

public:
    explicit CQmlMathHelper(QObject* parent = nullptr);

    Q_INVOKABLE double convertMetersToFeet(double value) const;
    Q_INVOKABLE double convertFeetToMeters(double value) const;
};
