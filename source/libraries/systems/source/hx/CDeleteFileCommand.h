#pragma once

#include "hx/CAbstractSetCommand.h"

#include <QString>

namespace Ulx {
namespace Communication {

// Deletes one file on the camera's memory card. A URL whose path is not a safe camera path
// ends the command with InternalError without a request.
class CDeleteFileCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CDeleteFileCommand(const QString& fileUrl);
    ~CDeleteFileCommand() override;

    QString fileUrl() const { return m_fileUrl; }
    QString requestUrl() const override;
    void execute(QNetworkAccessManager* manager) override;

private:
    QString m_fileUrl;
};

} // namespace Communication
} // namespace Ulx
