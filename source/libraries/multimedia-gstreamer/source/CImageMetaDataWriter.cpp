#include "CImageMetaDataWriter.h"

namespace Ulx {
namespace Multimedia {

CImageMetaDataWriter::CImageMetaDataWriter(QObject* parent)
    : QObject(parent)
{
}

void CImageMetaDataWriter::write(const QString& fileName, const CImageMetaData& metaData)
{
    Q_UNUSED(fileName)
    Q_UNUSED(metaData)
    emit metaDataOperationDone();
}

} // namespace Multimedia
} // namespace Ulx
