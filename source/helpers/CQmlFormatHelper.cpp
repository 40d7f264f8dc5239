#include "helpers/CQmlFormatHelper.h"

#include "application/CApplication.h"
#include "application/CSettings.h"
#include "helpers/FormattingHelpers.h"

CQmlFormatHelper::CQmlFormatHelper(QObject* parent)
    : QObject(parent)
{
}

CQmlFormatHelper::CQmlFormatHelper(CSettings* settings, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
{
}

QString CQmlFormatHelper::formatInclinationValue(double value) const
{
    return ::formatInclinationValue(value, true);
}

QString CQmlFormatHelper::formatZoomFactorValue(double value) const
{
    return ::formatZoomFactorValue(static_cast<float>(value));
}

QString CQmlFormatHelper::formatLightIntensityValue(int value) const
{
    return ::formatLightIntensityValue(value, false, true);
}

QString CQmlFormatHelper::formatDistanceValue(double value) const
{
    return ::formatDistanceValue(value, useImperialUnits());
}

bool CQmlFormatHelper::useImperialUnits() const
{
    const CSettings* settings = m_settings.data();
    if (!settings) {
        // Not a CApplication (a tool or a test): no settings, so metres.
        if (auto* application = qobject_cast<CApplication*>(QCoreApplication::instance()))
            settings = application->settings();
    }
    return settings && settings->useImperialUnits();
}
