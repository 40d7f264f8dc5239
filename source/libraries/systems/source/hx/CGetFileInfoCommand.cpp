#include "hx/CGetFileInfoCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronFileListParser.h"
#include "hx/TetronValueTables.h"

#include <QNetworkReply>

namespace Ulx {
namespace Communication {

CGetFileInfoCommand::CGetFileInfoCommand(int from, int count)
    : CAbstractGetCommand(GetFileInfo)
    , m_from(from)
    , m_count(count)
{
}

CGetFileInfoCommand::~CGetFileInfoCommand() = default;

qint64 CGetFileInfoCommand::answerLimit() const
{
    return qMin(MaximumStatusAnswerBytes + qMax(0, m_count) * AnswerBytesPerEntry, MaximumAnswerBytes);
}

QString CGetFileInfoCommand::requestUrl() const
{
    return cameraBaseUrl() + QStringLiteral("/cgi-bin/Config.cgi?action=dir&property=DCIM&format=")
           + TetronTables::fileFormatNames().name(0) + QStringLiteral("&gmode=all&count=") + QString::number(m_count)
           + QStringLiteral("&from=") + QString::number(m_from);
}

void CGetFileInfoCommand::processNetworkReply(QNetworkReply* reply)
{
    if (reply->error() != QNetworkReply::NoError)
        setResult(NetworkError);
    else
        setResult(parseTetronFileList(reply->readAll(), &m_fileList) ? Success : InternalError);
    complete();
}

} // namespace Communication
} // namespace Ulx
