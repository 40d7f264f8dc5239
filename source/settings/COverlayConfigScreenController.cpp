#include "settings/COverlayConfigScreenController.h"

#include "application/CSettings.h"
#include "helpers/FormattingHelpers.h"
#include "settings/CDateFormatModel.h"

namespace {

// A point in the southern and eastern hemispheres shows every part of each format.
constexpr double SampleLatitude = -41.893318;
constexpr double SampleLongitude = 12.482937;
constexpr int CoordinateFormatCount = 6;

} // namespace

COverlayConfigScreenController::COverlayConfigScreenController(QObject* parent)
    : QObject(parent)
    , m_dateFormatModel(new CDateFormatModel())
{
    m_dateFormatModel->setFormats(CSettings::supportedDateFormats());
}

COverlayConfigScreenController::~COverlayConfigScreenController()
{
    delete m_dateFormatModel;
}

QAbstractListModel* COverlayConfigScreenController::dateFormatModel() const
{
    return m_dateFormatModel;
}

QStringList COverlayConfigScreenController::coordinateFormatModel() const
{
    QStringList samples;
    for (int format = 0; format < CoordinateFormatCount; ++format) {
        samples.append(formatLatitudeValue(SampleLatitude, true, format) + QStringLiteral(", ")
                       + formatLongitudeValue(SampleLongitude, true, format));
    }
    return samples;
}

int COverlayConfigScreenController::queryDateFormatIndex(const QString& format) const
{
    return m_dateFormatModel->indexOf(format);
}

QString COverlayConfigScreenController::queryDateFormat(int index) const
{
    return m_dateFormatModel->formatAt(index);
}
