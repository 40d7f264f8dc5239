#include "startup/CApplication.h"

int main(int argc, char** argv)
{
    int status = 0;
    {
        CApplication application(argc, argv);
        status = CApplication::exec();
    }
    return CApplication::leaveProcess(status);
}
