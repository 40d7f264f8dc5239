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

    // The list grows with the card: a generous share of the answer for every entry asked for
    // (a real entry takes a few hundred bytes), and never more than a list held whole can be.
    static constexpr qint64 AnswerBytesPerEntry = 1024;
    static constexpr qint64 MaximumAnswerBytes = 32 * 1024 * 1024;
    qint64 answerLimit() const override;

    QString requestUrl() const override;
    void processNetworkReply(QNetworkReply* reply) override;

private:
    int m_from;
    int m_count;
    QVector<Multimedia::CRemoteFileInfo> m_fileList;
};

} // namespace Communication
} // namespace Ulx
