#pragma once

#include "hx/CAbstractTetronCommand.h"

#include <QString>

namespace Ulx {
namespace Communication {

// Base of the commands that change something on the camera: one GET of requestUrl(), answered
// by a status line only.
class CAbstractSetCommand : public CAbstractTetronCommand
{
    Q_OBJECT

public:
    explicit CAbstractSetCommand(Type type);
    ~CAbstractSetCommand() override;

    void processNetworkReply(QNetworkReply* reply) override;
    void execute(QNetworkAccessManager* manager) override;
    virtual QString requestUrl() const = 0;

protected:
    // "/cgi-bin/Config.cgi?action=set&property=<property>&value=<value>" on the base URL.
    static QString setUrl(const QString& property, const QString& value);
};

} // namespace Communication
} // namespace Ulx
