#include "CApplication.h"

CApplication::CApplication(int& argc, char** argv)
    : QGuiApplication(argc, argv)
{
}

CApplication* CApplication::instance()
{
    return static_cast<CApplication*>(QCoreApplication::instance());
}
