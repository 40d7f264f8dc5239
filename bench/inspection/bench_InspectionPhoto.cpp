// Times a photo taken from the inspection screen, takePhoto to photoCaptured (the still written
// and project.xml saved with the new record), against the bare grab, captureImage to
// imageCaptured, with 100, 1,000, 10,000 and 50,000 photos already in the survey; PNG and JPEG
// stills of the RTSP test peer's 640x480 stream. The two run in turn, round by round, so that a
// loaded machine weighs on both alike. A third column times the least that storing the record
// safely costs: the project file's bytes written beside it and synced to the disk, with the
// rename and the folder sync (no encoding at all); the last factor sets the program against
// the bare grab plus that write. Build it optimised (CMAKE_BUILD_TYPE=Release) for figures
// that mean anything.
//
//   bench_InspectionPhoto [rounds]      rounds per case (default 20); prints medians in ms and
//                                       the factors (1 is parity)
#include "RtspPeer.h"
#include "TestVideoSurface.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "inspection/CRVQInspectionScreenController.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/CSurveyPhoto.h"
#include "surveyprojects/SafeFileWriting.h"

#include "CGstMultimediaLibrary.h"
#include "CGstVideoSurfaceSink.h"
#include "CRTSPVideoStreamerLogic.h"
#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "multimedia/CVideoStreamer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using Ulx::CUlxSystemsLibrary;
using Ulx::CUlxSystemsLibraryPrivate;
using Ulx::MultimediaTypes;

namespace {

const int WaitMs = 30000;

// Runs the event loop until done() holds, looking again each time sender emits signal; at
// most timeoutMs. Sleeps in the event loop between signals: a busy wait would take a core from
// the work it times.
template <typename Sender, typename Signal>
bool waitFor(Sender* sender, Signal signal, const std::function<bool()>& done, int timeoutMs = WaitMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(sender, signal, &loop, [&]() {
        if (done())
            loop.quit();
    });
    deadline.start(timeoutMs);
    loop.exec();
    return done();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One project with one survey of the given number of photos, current in the runtime data.
struct Project
{
    QString path;
    SurveyProjectPtr project;
};

bool makeProject(CProjectService& projects, CAppRuntimeData& runtime, const QString& root, int photos,
                 Project* result)
{
    QSignalSpy created(&projects, &CProjectService::projectCreated);
    projects.createProject(QStringLiteral("Bench %1").arg(photos), QStringLiteral("en"),
                           ProjectTypes::DistanceUnitMetric, root);
    if (!created.wait(WaitMs))
        return false;
    result->project = created.at(0).at(2).value<SurveyProjectPtr>();
    result->path = created.at(0).at(1).toString();
    if (!result->project)
        return false;
    auto survey = std::make_shared<CSurvey>();
    for (int i = 0; i < photos; ++i)
        survey->addPicture(std::make_shared<CSurveyPhoto>(
            QStringLiteral("Photos/OLD_%1.png").arg(i, 5, 10, QLatin1Char('0')), QString(), 11.5, 48.1, 520.0));
    result->project->addSurvey(survey);
    QSignalSpy saved(&projects, &CProjectService::projectSaved);
    projects.saveProject(result->project);
    if (!saved.wait(WaitMs))
        return false;
    runtime.setCurrentProject(result->project, result->path);
    runtime.setCurrentSurvey(survey);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 20;
    int gstArgc = 0;
    if (!Ulx::GStreamer::CGstMultimediaLibrary::initialize(&gstArgc, nullptr)) {
        std::fprintf(stderr, "GStreamer did not initialise\n");
        return 1;
    }
    CUlxSystemsLibrary::initialize();

    RtspPeer peer({"--width", "640", "--height", "480"});
    if (!peer.start()) {
        std::fprintf(stderr, "The RTSP test peer did not start\n");
        return 1;
    }
    Ulx::Multimedia::CRTSPVideoStreamerLogic* logic = CUlxSystemsLibraryPrivate::instance()->videoStreamerLogic();
    TestVideoSurface surface;
    logic->videoSurfaceSink()->setVideoSurface(&surface);
    logic->setStreamUrl(peer.url(QStringLiteral("/stream")));
    logic->setStreamCaps("video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal");
    logic->setLatency(50);
    logic->start();
    if (!waitFor(&surface, &TestVideoSurface::framePresented, [&]() { return surface.frameCount > 0; })) {
        std::fprintf(stderr, "No picture from the RTSP test peer\n");
        return 1;
    }

    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/projects/");
    QDir().mkpath(root);
    CSettings settings;
    settings.setWorkType(CSettings::WorkWithProjectsCustomRoot);
    settings.setCustomProjectFolder(root);
    CAppRuntimeData runtime;
    CProjectService projects(&settings);
    if (!waitFor(&projects, &CProjectService::projectListReadyChanged, [&]() { return projects.projectListReady(); })) {
        std::fprintf(stderr, "The project service did not get ready\n");
        return 1;
    }
    CBaseInspectionScreenController::Services services;
    services.settings = &settings;
    services.appRuntimeData = &runtime;
    services.projectService = &projects;

    Ulx::Multimedia::CVideoStreamer* streamer = CUlxSystemsLibrary::videoStreamer();
    std::printf("takePhoto to photoCaptured (CRVQInspectionScreenController, still + project.xml) against\n"
                "the bare captureImage to imageCaptured (CVideoStreamer), median of %d rounds, 640x480\n\n",
                rounds);
    std::printf("%-6s %8s %12s %12s %8s %14s %14s %12s\n", "format", "photos", "program ms", "bare grab ms",
                "factor", "file write ms", "factor to both", "xml bytes");

    int failures = 0;
    int serial = 0;
    for (const int photos : {100, 1000, 10000, 50000}) {
        Project project;
        if (!makeProject(projects, runtime, root, photos, &project)) {
            std::fprintf(stderr, "Could not make the project of %d photos\n", photos);
            return 1;
        }
        const QString photoFolder = project.path + (project.path.endsWith('/') ? "" : "/") + "Photos/";
        for (const auto format : {MultimediaTypes::ImageOutputFormatPNG, MultimediaTypes::ImageOutputFormatJPEG}) {
            streamer->setImageOutputFormat(format);
            const QString suffix = format == MultimediaTypes::ImageOutputFormatJPEG ? ".jpg" : ".png";
            std::vector<double> program;
            std::vector<double> bare;
            std::vector<double> fileWrite;
            const QString xmlPath = project.path + (project.path.endsWith('/') ? "" : "/") + QStringLiteral("project.xml");
            for (int round = 0; round < rounds; ++round) {
                // The project file's bytes stored safely once more, beside it.
                {
                    QFile xml(xmlPath);
                    const QByteArray bytes = xml.open(QIODevice::ReadOnly) ? xml.readAll() : QByteArray();
                    QElapsedTimer timer;
                    timer.start();
                    if (!SafeFileWriting::writeFile(xmlPath + QStringLiteral(".copy"), [&bytes](QIODevice* device) {
                            return device->write(bytes) == bytes.size();
                        })) {
                        ++failures;
                        continue;
                    }
                    fileWrite.push_back(double(timer.nsecsElapsed()) / 1e6);
                }
                // The bare grab into the same folder.
                {
                    QSignalSpy captured(streamer, &Ulx::Multimedia::CVideoStreamer::imageCaptured);
                    QElapsedTimer timer;
                    timer.start();
                    streamer->captureImage(photoFolder + QStringLiteral("BARE_%1").arg(++serial) + suffix,
                                           Ulx::Multimedia::CImageMetaData());
                    if (!waitFor(streamer, &Ulx::Multimedia::CVideoStreamer::imageCaptured,
                                 [&]() { return captured.count() > 0; })) {
                        std::fprintf(stderr, "bare grab %d of %d photos unfinished\n", round, photos);
                        ++failures;
                        continue;
                    }
                    bare.push_back(double(timer.nsecsElapsed()) / 1e6);
                }
                // The same grab through the screen controller, filed into the survey. The
                // controller lives for this photo only: it files every still the streamer
                // writes, and the bare grab above must stay a bare grab, not a second photo whose
                // project write the timed one would wait behind.
                {
                    CRVQInspectionScreenController controller(services, nullptr);
                    QSignalSpy captured(&controller, &CBaseInspectionScreenController::photoCaptured);
                    QElapsedTimer timer;
                    timer.start();
                    controller.takePhoto(photoFolder + QStringLiteral("IMG_%1").arg(++serial) + suffix);
                    if (!waitFor(&controller, &CBaseInspectionScreenController::photoCaptured,
                                 [&]() { return captured.count() > 0; })) {
                        std::fprintf(stderr, "program photo %d of %d photos unfinished\n", round, photos);
                        ++failures;
                        continue;
                    }
                    program.push_back(double(timer.nsecsElapsed()) / 1e6);
                }
            }
            const double programMs = median(program);
            const double bareMs = median(bare);
            const double writeMs = median(fileWrite);
            const qint64 xmlBytes = QFileInfo(xmlPath).size();
            std::printf("%-6s %8d %12.2f %12.2f %8.2f %14.2f %14.2f %12lld\n",
                        format == MultimediaTypes::ImageOutputFormatJPEG ? "JPEG" : "PNG", photos, programMs, bareMs,
                        bareMs > 0 ? programMs / bareMs : -1.0, writeMs,
                        bareMs + writeMs > 0 ? programMs / (bareMs + writeMs) : -1.0,
                        static_cast<long long>(xmlBytes));
        }
    }
    if (failures)
        std::printf("\n%d captures did not finish within %d ms\n", failures, WaitMs);
    std::fflush(stdout);

    logic->stop();
    waitFor(logic, &Ulx::Multimedia::CRTSPVideoStreamerLogic::stateChanged,
            [&]() { return logic->state() == MultimediaTypes::StreamingStopped; });
    logic->videoSurfaceSink()->setVideoSurface(nullptr);
    CUlxSystemsLibrary::finalize();
    return failures ? 1 : 0;
}
