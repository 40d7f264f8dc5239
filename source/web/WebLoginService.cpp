#include "web/WebLoginService.h"

WebLoginService::WebLoginService(Tovrin::Web::TovrinWebApi*, QObject* parent)
    : QObject(parent)
{
}
