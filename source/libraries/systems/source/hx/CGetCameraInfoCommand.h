#pragma once

#include "hx/CAbstractGetCommand.h"

#include <QHash>
#include <QVariant>
#include <QVector>

namespace Ulx {
namespace Communication {

// Reads camera parameters (ids of the camera parameter table); values() holds what the camera
// answered, converted per parameter.
class CGetCameraInfoCommand : public CAbstractGetCommand
{
    Q_OBJECT

public:
    explicit CGetCameraInfoCommand(const QVector<int>& parameterIds);
    ~CGetCameraInfoCommand() override;

    QVector<int> parameterIds() const { return m_parameterIds; }
    QHash<int, QVariant> values() const { return m_values; }

    QString requestUrl() const override;
    void processNetworkReply(QNetworkReply* reply) override;

private:
    QVector<int> m_parameterIds;
    QHash<int, QVariant> m_values;
};

} // namespace Communication
} // namespace Ulx
