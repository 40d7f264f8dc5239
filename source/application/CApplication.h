#pragma once

#include <QGuiApplication>

class CApplication : public QGuiApplication
{
    Q_OBJECT
public:
    CApplication(int& argc, char** argv);
    static CApplication* instance();
};
