// Feeds arbitrary bytes as an MP4 file to the orientation patcher. A file it refuses must be
// left exactly as it was; a file it patched must need nothing on a second run.
#include "CMP4VideoOrientationPatcher.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryFile& scratchFile()
{
    // One file for the whole run: creating one per input would dominate the time.
    static QTemporaryFile file;
    if (!file.isOpen() && !file.open())
        std::abort();
    return file;
}

QByteArray contents(QFile& file)
{
    if (!file.seek(0))
        std::abort();
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QTemporaryFile& file = scratchFile();
    if (!file.resize(0) || !file.seek(0) || file.write(input) != input.size() || !file.flush())
        std::abort();

    const bool patched = Ulx::Multimedia::CMP4VideoOrientationPatcher(file).run();
    const QByteArray after = contents(file);
    if (after.size() != input.size())
        std::abort(); // the patcher never changes the length of a file
    if (!patched) {
        if (after != input)
            std::abort(); // refused, yet changed
        return 0;
    }
    if (!Ulx::Multimedia::CMP4VideoOrientationPatcher(file).run() || contents(file) != after)
        std::abort(); // a patched file must stay as it is
    return 0;
}
