#pragma once

#include "hx/CAbstractTetronCommand.h"

#include <QString>

namespace Ulx {
namespace Communication {

// Base of the commands that read from the camera: one GET of requestUrl().
class CAbstractGetCommand : public CAbstractTetronCommand
{
    Q_OBJECT

public:
    explicit CAbstractGetCommand(Type type);
    ~CAbstractGetCommand() override;

    void execute(QNetworkAccessManager* manager) override;
    virtual QString requestUrl() const = 0;
};

} // namespace Communication
} // namespace Ulx
