#include "web/WebProjectService.h"

WebProjectService::WebProjectService(Tovrin::Web::TovrinWebApi*, QObject* parent)
    : QObject(parent)
{
}

void WebProjectService::resetSessionBackup()
{
}
