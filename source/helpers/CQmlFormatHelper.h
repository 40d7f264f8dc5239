#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class CSettings;

// The formatting functions QML needs, with the options the screens always use. The UI engine
// creates one without parent and publishes it as "formatHelper". The unit setting is read at
// every call, from the given settings or else from the application's.
class CQmlFormatHelper : public QObject
{
    Q_OBJECT

public:
    explicit CQmlFormatHelper(QObject* parent = nullptr);
    CQmlFormatHelper(CSettings* settings, QObject* parent);

    Q_INVOKABLE QString formatInclinationValue(double value) const;
    Q_INVOKABLE QString formatZoomFactorValue(double value) const;
    Q_INVOKABLE QString formatLightIntensityValue(int value) const;
    Q_INVOKABLE QString formatDistanceValue(double value) const;

private:
    bool useImperialUnits() const;

    QPointer<CSettings> m_settings;
};
