#include "uiengine/CQmlNetworkAccessFactory.h"

#include "CLogger.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>

using Tovrin::Logging::CLogger;

namespace {

class LocalOnlyNetworkAccess : public QNetworkAccessManager
{
public:
    using QNetworkAccessManager::QNetworkAccessManager;

protected:
    QNetworkReply* createRequest(Operation operation, const QNetworkRequest& request,
                                 QIODevice* outgoingData) override
    {
        const QUrl url = request.url();
        if (url.isLocalFile() || url.scheme() == QLatin1String("qrc"))
            return QNetworkAccessManager::createRequest(operation, request, outgoingData);
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("CulvertixApplication"),
                            QStringLiteral("Refused a network request of the QML engine"),
                            {url.toString(QUrl::RemoveUserInfo)});
        // A scheme no backend knows makes a reply that fails without touching the network.
        return QNetworkAccessManager::createRequest(operation, QNetworkRequest(QUrl(QStringLiteral("refused:"))),
                                                    nullptr);
    }
};

} // namespace

QNetworkAccessManager* CQmlNetworkAccessFactory::create(QObject* parent)
{
    return new LocalOnlyNetworkAccess(parent);
}
