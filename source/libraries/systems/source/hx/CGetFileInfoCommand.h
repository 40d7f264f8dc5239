#pragma once

#include "hx/CAbstractGetCommand.h"

#include "CRemoteFileInfo.h"

#include <QVector>

namespace Ulx {
namespace Communication {

// Reads a part of the camera's file list (count entries from index from).
class CGetFileInfoCommand : public CAbstractGetCommand
{
    Q_OBJECT

public:
    CGetFileInfoCommand(int from, int count);
    ~CGetFileInfoCommand() override;

    QVector<Multimedia::CRemoteFileInfo> fileList() const { return m_fileList; }

    QString requestUrl() const override;
    void processNetworkReply(QNetworkReply* reply) override;

private:
    int m_from;
    int m_count;
    QVector<Multimedia::CRemoteFileInfo> m_fileList;
};

} // namespace Communication
} // namespace Ulx
