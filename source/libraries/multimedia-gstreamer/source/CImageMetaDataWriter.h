#pragma once

#include "CImageMetaData.h"

#include <QObject>
#include <QString>

namespace Ulx {
namespace Multimedia {

// The step after a JPEG still has been written. It adds nothing to the file today and reports
// completion at once; the streamer logic waits for it through a queued connection.
class CImageMetaDataWriter : public QObject
{
    Q_OBJECT

public:
    explicit CImageMetaDataWriter(QObject* parent = nullptr);

    void write(const QString& fileName, const CImageMetaData& metaData);

signals:
    void metaDataOperationDone();
};

} // namespace Multimedia
} // namespace Ulx
