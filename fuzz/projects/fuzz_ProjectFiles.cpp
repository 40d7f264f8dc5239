// Feeds arbitrary bytes to the project.xml reader (full and quick) and the manholes.xml
// reader; a readable project must also survive a write and a second read.
#include "surveyprojects/CManholeXmlReader.h"
#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/CProjectXmlWriter.h"

#include <QBuffer>
#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));

    QBuffer input;
    input.setData(bytes);
    input.open(QIODevice::ReadOnly);
    CProjectXmlReader reader;
    const SurveyProjectPtr project = reader.readFromDevice(&input, false);
    if (project) {
        QBuffer output;
        output.open(QIODevice::WriteOnly);
        if (!CProjectXmlWriter().writeToDevice(project, &output))
            std::abort();
        output.close();
        output.open(QIODevice::ReadOnly);
        if (!CProjectXmlReader().readFromDevice(&output, false))
            std::abort();
    }

    input.seek(0);
    reader.readFromDevice(&input, true);

    QBuffer manholes;
    manholes.setData(bytes);
    manholes.open(QIODevice::ReadOnly);
    CManholeXmlReader().readFromDevice(&manholes);
    return 0;
}
