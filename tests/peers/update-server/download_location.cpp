// Prints the folder where the program's software update stores what it downloads: Qt's download
// location, which SoftwareUpdater::downloadFolder takes. The run command asks it for the folder
// in which its demo update needs a name that no file has yet.
#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty()) {
        std::fprintf(stderr, "no download location\n");
        return 1;
    }
    std::printf("%s\n", QFile::encodeName(folder).constData());
    return 0;
}
