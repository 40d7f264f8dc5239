#include "mediaimport/CMediaImportService.h"

CMediaImportService::CMediaImportService(QObject* parent)
    : QObject(parent)
{
}
