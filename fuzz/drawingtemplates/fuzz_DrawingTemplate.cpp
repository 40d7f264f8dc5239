// Feeds arbitrary bytes as a drawing template file to the template reader, in both modes. A
// template it reads must survive a write and a second read.
#include "photoeditor/CDrawingTemplateReader.h"
#include "photoeditor/CDrawingTemplateWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const QTemporaryDir& scratchFolder()
{
    static QTemporaryDir folder;
    if (!folder.isValid())
        std::abort();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = scratchFolder().filePath(QStringLiteral("input.xml"));
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
    file.close();

    CDrawingTemplateReader().read(input, true);
    CDrawingTemplateReader reader;
    const DrawingTemplatePtr drawingTemplate = reader.read(input, false);
    if (!drawingTemplate)
        return 0;
    const QString copy = scratchFolder().filePath(QStringLiteral("copy.xml"));
    if (!CDrawingTemplateWriter().write(drawingTemplate, copy))
        std::abort();
    if (!CDrawingTemplateReader().read(copy, false))
        std::abort(); // what was written must be readable again
    return 0;
}
