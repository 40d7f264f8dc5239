#pragma once

#include "hx/CAbstractTetronCommand.h"

namespace Ulx {
namespace Communication {

// Logs in to the camera, which answers with the session cookie that the runner's network
// access manager keeps for the following requests. Never repeated.
class CLoginCommand : public CAbstractTetronCommand
{
    Q_OBJECT

public:
    CLoginCommand();
    ~CLoginCommand() override;

    static QString requestUrl();

    void processNetworkReply(QNetworkReply* reply) override;
    bool isRepeatable() const override { return false; }
    void execute(QNetworkAccessManager* manager) override;
};

} // namespace Communication
} // namespace Ulx
