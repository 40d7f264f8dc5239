#include "uiengine/CUiEngine.h"

#include "uiengine/CCustomControls.h"
#include "uiengine/CQmlNetworkAccessFactory.h"
#include "uiengine/Context.h"
#include "uiengine/UiEngineServices.h"

#include "application/ApplicationServices.h"
#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "appstart/CInitialSetupScreenController.h"
#include "appstart/CStartScreenController.h"
#include "errorlog/CErrorLogScreenController.h"
#include "gallery/CFileListSelectionScreenController.h"
#include "gallery/CFileSystemModel.h"
#include "gallery/CRemoteGalleryScreenController.h"
#include "gallery/CSimpleGalleryScreenController.h"
#include "gallery/CSurveyGalleryScreenController.h"
#include "gallery/CThumbnailImageProvider.h"
#include "gallery/CThumbnailManager.h"
#include "gallery/GalleryTypes.h"
#include "helpers/CDistanceScaleItem.h"
#include "helpers/CDoubleValidator.h"
#include "helpers/CPropertyInputType.h"
#include "helpers/CQmlFileSystemHelper.h"
#include "helpers/CQmlFormatHelper.h"
#include "helpers/CQmlMathHelper.h"
#include "helpers/CQmlModelDataAccessor.h"
#include "helpers/CQmlObject.h"
#include "helpers/CRectangleItem.h"
#include "input/InputValueProxyValidator.h"
#include "inspection/CHXInspectionScreenController.h"
#include "inspection/CLiveVideoQmlNamespaceObject.h"
#include "inspection/CMediaViewScreenController.h"
#include "inspection/CRVQInspectionScreenController.h"
#include "inspection/CRemoteMediaQmlNamespaceObject.h"
#include "inspection/CSystemQmlNamespaceObject.h"
#include "inspection/CZPInspectionScreenController.h"
#include "license/CLicenseScreenController.h"
#include "managers/CSoundManager.h"
#include "mediaimport/CMediaDownloadScreenController.h"
#include "mediaimport/CMediaImportScreenController.h"
#include "mediaimport/CMediaScanScreenController.h"
#include "messages/CErrorMessageHelper.h"
#include "messages/TranslationHelper.h"
#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CDrawingTemplateService.h"
#include "photoeditor/CPhotoEditorScreenController.h"
#include "settings/COverlayConfigScreenController.h"
#include "settings/CSettingsSave.h"
#include "settings/CSettingsScreenController.h"
#include "surveyprojects/CManholeListScreenController.h"
#include "surveyprojects/CManholeMapScreenController.h"
#include "surveyprojects/CMapTileImageProvider.h"
#include "surveyprojects/MapTileCache.h"
#include "surveyprojects/CProjectItemRolesModel.h"
#include "surveyprojects/CProjectListScreenController.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CSurveyListScreenController.h"
#include "update/CUpdateScreenController.h"
#include "update/SoftwareUpdater.h"
#include "update/UpdateService.h"
#include "web/CWebDownloadScreenController.h"
#include "web/CWebLoginScreenController.h"
#include "web/CWebMainScreenController.h"
#include "web/CWebUploadScreenController.h"
#include "web/WebLoginService.h"
#include "web/WebProjectService.h"
#include "web/WebScreenServices.h"

#include "TovrinWebApi.h"

#include "CLogger.h"
#include "CTranslator.h"
#include "MultimediaTypes.h"
#include "RemoteMediaTypes.h"
#include "systemcontrol/SystemTypes.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFontDatabase>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QTimer>
#include <QtQml>

using Tovrin::Logging::CLogger;
using Tovrin::Translation::CTranslator;

namespace {

const QString LogCategory = QStringLiteral("CulvertixApplication");
const char* const ScreenControllersModule = "ScreenControllers";

CUiEngine* g_instance = nullptr;

QUrl& mainQmlUrlReference()
{
    static QUrl url(QStringLiteral("qrc:///ui/qml/main.qml"));
    return url;
}

QString& programFolderReference()
{
    static QString folder;
    return folder;
}

template <typename T>
void registerScreenController(const char* name)
{
    qmlRegisterType<T>(ScreenControllersModule, 1, 0, name);
}

} // namespace

void CUiEngine::create()
{
    if (!g_instance)
        new CUiEngine();
}

void CUiEngine::destroy()
{
    delete g_instance;
    g_instance = nullptr;
}

CUiEngine* CUiEngine::instance()
{
    return g_instance;
}

CUiEngine::CUiEngine()
    : QObject(nullptr)
{
    // Compiled QML caches would outlive a changed resource tree; never write or read them.
    qputenv("QML_DISABLE_DISK_CACHE", "1");
    g_instance = this;

    m_networkAccess = std::make_unique<CQmlNetworkAccessFactory>();
    m_engine = std::make_unique<QQmlApplicationEngine>();
    m_engine->setNetworkAccessManagerFactory(m_networkAccess.get());
    m_translator = std::make_unique<CTranslator>();

    const QDir applicationDir(programFolder());
    QString translationFolder;
    if (applicationDir.isReadable()) {
        translationFolder = applicationDir.absolutePath();
        if (!translationFolder.endsWith(QLatin1Char('/')))
            translationFolder += QLatin1Char('/');
        translationFolder += QStringLiteral("translation/");
    }
    if (!translationFolder.isEmpty())
        m_translator->loadTranslationsFromFile(translationFolder + QStringLiteral("translation.lng"));

    TranslationHelper::setSurveyTextTranslator(m_translator.get());
    CErrorMessageHelper::setTranslator(m_translator.get());

    const CSettings* settings = ApplicationServices::settings();
    const QLocale locale = settings ? QLocale(settings->localeName()) : QLocale();
    QLocale::setDefault(locale);
    m_translator->setCurrentLocale(locale);

    m_soundManager = std::make_unique<CSoundManager>();
    m_fileSystemHelper = std::make_unique<CQmlFileSystemHelper>();
    m_remoteMedia = std::make_unique<CRemoteMediaQmlNamespaceObject>();
    m_system = std::make_unique<CSystemQmlNamespaceObject>();
    m_liveVideo = std::make_unique<CLiveVideoQmlNamespaceObject>();
    m_formatHelper = std::make_unique<CQmlFormatHelper>();
    m_mathHelper = std::make_unique<CQmlMathHelper>();
    m_thumbnailManager = std::make_unique<CThumbnailManager>();

    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Roboto-Regular.ttf"));

    m_thumbnailManager->setMissingPhotoImage(QImage(QStringLiteral(":/graphics/missing_photo.png")));
    m_thumbnailManager->setMissingVideoImage(QImage(QStringLiteral(":/graphics/missing_video.png")));

    registerTypes();
    setContextProperties();
    connectSignals();

    m_engine->addImportPath(QStringLiteral(":/ui/qml/"));
    m_engine->addImportPath(QStringLiteral(":/"));

    QTimer::singleShot(0, this, &CUiEngine::loadMainQml);
}

CUiEngine::~CUiEngine()
{
    CErrorMessageHelper::setTranslator(nullptr);
    TranslationHelper::setSurveyTextTranslator(nullptr);
    // The QML objects may still use the helpers below while they go.
    m_engine.reset();
    m_mathHelper.reset();
    m_formatHelper.reset();
    m_liveVideo.reset();
    m_system.reset();
    m_remoteMedia.reset();
    m_fileSystemHelper.reset();
    m_soundManager.reset();
    m_thumbnailManager.reset();
    m_translator.reset();
    if (g_instance == this)
        g_instance = nullptr;
}

CTranslator* CUiEngine::translator() const
{
    return m_translator.get();
}

CThumbnailManager* CUiEngine::thumbnailManager() const
{
    return m_thumbnailManager.get();
}

QQmlApplicationEngine* CUiEngine::qmlEngine() const
{
    return m_engine.get();
}

QUrl CUiEngine::mainQmlUrl()
{
    return mainQmlUrlReference();
}

void CUiEngine::setMainQmlUrl(const QUrl& url)
{
    mainQmlUrlReference() = url;
}

QString CUiEngine::programFolder()
{
    const QString& folder = programFolderReference();
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

void CUiEngine::setProgramFolder(const QString& folder)
{
    programFolderReference() = folder;
}

void CUiEngine::registerTypes()
{
    // QML types are registered for the process; a later engine (tests make several) finds
    // them in place.
    static bool registered = false;
    if (registered)
        return;
    registered = true;

    const QString noReason;
    qmlRegisterAnonymousType<CUiEngine>("", 1);
    qmlRegisterUncreatableType<CAppRuntimeData>("Application", 1, 0, "AppRuntimeData", noReason);
    qmlRegisterUncreatableType<CSettings>("Application", 1, 0, "Settings", noReason);
    qmlRegisterUncreatableMetaObject(Ulx::CommunicationTypes::staticMetaObject, "Communication", 1, 0,
                                     "CommunicationTypes", noReason);
    qmlRegisterUncreatableMetaObject(Ulx::SystemTypes::staticMetaObject, "SystemControl", 1, 0, "SystemTypes",
                                     noReason);
    qmlRegisterUncreatableMetaObject(Ulx::MultimediaTypes::staticMetaObject, "Multimedia", 1, 0,
                                     "MultimediaTypes", noReason);
    qmlRegisterUncreatableMetaObject(Ulx::RemoteMediaTypes::staticMetaObject, "Multimedia", 1, 0,
                                     "RemoteMediaTypes", noReason);
    qmlRegisterType<CFileSystemModel>("Culvertix.Models", 1, 0, "FileSystemModel");
    qmlRegisterUncreatableMetaObject(GalleryTypes::staticMetaObject, "Culvertix.Models", 1, 0, "GalleryTypes",
                                     noReason);
    qmlRegisterUncreatableType<CQmlFileSystemHelper>("Culvertix.Utils", 1, 0, "FileSystemHelper", noReason);
    qmlRegisterType<CQmlObject>("Culvertix.Utils", 1, 0, "QmlObject");
    qmlRegisterType<CQmlModelDataAccessor>("Culvertix.Utils", 1, 0, "QmlModelDataAccessor");
    qmlRegisterUncreatableType<CPropertyInputType>("Culvertix.Utils", 1, 0, "PropertyInputType", noReason);
    qmlRegisterType<CDoubleValidator>("Culvertix.Utils", 1, 0, "DoubleValidatorEx");
    qmlRegisterUncreatableType<CDrawingObject>("Culvertix.Drawing", 1, 0, "Object", noReason);
    qmlRegisterUncreatableType<CDrawingDynamicText>("Culvertix.Drawing", 1, 0, "DynamicText", noReason);
    qmlRegisterUncreatableMetaObject(CCustomControls::staticMetaObject, "CustomControls", 1, 0, "CustomControls",
                                     noReason);
    qmlRegisterType<CRectangleItem>("CustomControls", 1, 0, "RoundedRectangle");
    qmlRegisterType<CDistanceScaleItem>("CustomControls", 1, 0, "DistanceScale");

    registerScreenController<CWebLoginScreenController>("WebLoginScreenController");
    registerScreenController<CWebMainScreenController>("WebMainScreenController");
    registerScreenController<CWebUploadScreenController>("WebUploadScreenController");
    registerScreenController<COverlayConfigScreenController>("OverlayConfigScreenController");
    registerScreenController<CZPInspectionScreenController>("ZPInspectionScreenController");
    registerScreenController<CStartScreenController>("StartScreenController");
    registerScreenController<CErrorLogScreenController>("ErrorLogScreenController");
    registerScreenController<CLicenseScreenController>("LicenseScreenController");
    registerScreenController<CSettingsScreenController>("SettingsScreenController");
    registerScreenController<CSettingsSave>("SettingsSave");
    registerScreenController<CHXInspectionScreenController>("HXInspectionScreenController");
    registerScreenController<CRemoteGalleryScreenController>("RemoteGalleryScreenController");
    registerScreenController<CRVQInspectionScreenController>("RVQInspectionScreenController");
    registerScreenController<CProjectListScreenController>("ProjectListScreenController");
    registerScreenController<CSurveyListScreenController>("SurveyListScreenController");
    registerScreenController<CMediaViewScreenController>("MediaViewScreenController");
    registerScreenController<CSurveyGalleryScreenController>("SurveyGalleryScreenController");
    registerScreenController<CMediaDownloadScreenController>("MediaDownloadScreenController");
    registerScreenController<CFileListSelectionScreenController>("FileListSelectionScreenController");
    registerScreenController<CPhotoEditorScreenController>("PhotoEditorScreenController");
    registerScreenController<CInitialSetupScreenController>("InitialSetupScreenController");
    registerScreenController<CSimpleGalleryScreenController>("SimpleGalleryScreenController");
    registerScreenController<CManholeMapScreenController>("ManholeMapScreenController");
    registerScreenController<CManholeListScreenController>("ManholeListScreenController");
    registerScreenController<CWebDownloadScreenController>("WebDownloadScreenController");

    qmlRegisterType<InputValueProxyValidator>("InputValueProxyValidator", 1, 0, "InputValueProxyValidator");
    qmlRegisterUncreatableMetaObject(CProjectItemRolesModel::staticMetaObject, "ProjectItemRoles", 1, 0,
                                     "ProjectItemRoles", noReason);

    // The web and update services come to life here, before QML first asks for the singleton.
    const auto* context = qobject_cast<Context*>(contextSingletonProvider(nullptr, nullptr));
    if (context && context->updateService() && context->updateService()->serviceAvailable())
        registerScreenController<CUpdateScreenController>("UpdateScreenController");
    registerScreenController<CMediaImportScreenController>("MediaImportScreenController");
    registerScreenController<CMediaScanScreenController>("MediaScanScreenController");
}

void CUiEngine::setContextProperties()
{
    QQmlContext* root = m_engine->rootContext();
    root->setContextProperty(QStringLiteral("translationEngine"), m_translator.get());
    root->setContextProperty(QStringLiteral("fileSystemHelper"), m_fileSystemHelper.get());
    root->setContextProperty(QStringLiteral("soundManager"), m_soundManager.get());
    root->setContextProperty(QStringLiteral("system"), m_system.get());
    root->setContextProperty(QStringLiteral("remoteMedia"), m_remoteMedia.get());
    root->setContextProperty(QStringLiteral("liveVideo"), m_liveVideo.get());
    root->setContextProperty(QStringLiteral("formatHelper"), m_formatHelper.get());
    root->setContextProperty(QStringLiteral("mathHelper"), m_mathHelper.get());

    root->setContextProperty(QStringLiteral("appRuntimeData"), ApplicationServices::appRuntimeData());
    root->setContextProperty(QStringLiteral("settings"), ApplicationServices::settings());
    root->setContextProperty(QStringLiteral("videoOverlayManager"), UiEngineServices::videoOverlayManager());
    root->setContextProperty(QStringLiteral("videoPlayer"), UiEngineServices::videoPlayer());
    root->setContextProperty(QStringLiteral("powerManager"), UiEngineServices::powerManager());

    m_engine->addImageProvider(QStringLiteral("Thumbnail"), new CThumbnailImageProvider(m_thumbnailManager.get()));
    m_engine->addImageProvider(QStringLiteral("maptiles"), new CMapTileImageProvider(MapTileCache::rootFolder()));

    static bool singletonRegistered = false;
    if (!singletonRegistered) {
        singletonRegistered = true;
        qmlRegisterSingletonType<Context>("Culvertix.Application", 1, 0, "Context", &CUiEngine::contextSingletonProvider);
        qRegisterMetaType<UpdateService*>("UpdateService*");
        qRegisterMetaType<WebLoginService*>("WebLoginService*");
        qRegisterMetaType<WebProjectService*>("WebProjectService*");
        qRegisterMetaType<CProjectService*>("CProjectService*");
        qRegisterMetaType<CUiEngine*>("CUiEngine*");
    }
}

QObject* CUiEngine::contextSingletonProvider(QQmlEngine*, QJSEngine*)
{
    static SoftwareUpdater* updater = new SoftwareUpdater();
    static UpdateService* updateService = new UpdateService(updater);
    static WebLoginService* webLoginService = new WebLoginService(WebScreenServices::current().webApi);
    static WebProjectService* webProjectService = new WebProjectService(WebScreenServices::current().webApi);

    QObject::connect(webLoginService, &WebLoginService::logoutSucceeded, webProjectService,
                     &WebProjectService::resetSessionBackup, Qt::UniqueConnection);
    QObject::connect(updateService, &UpdateService::requestApplicationClose, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::UniqueConnection);

    static Context* context = [] {
        auto* object = new Context(updateService, CUiEngine::instance(), ApplicationServices::settings(),
                                   webLoginService, webProjectService, ApplicationServices::projectService());
        // Kept for the whole process: no QML engine may delete it.
        QQmlEngine::setObjectOwnership(object, QQmlEngine::CppOwnership);
        return object;
    }();
    context->refresh(CUiEngine::instance(), ApplicationServices::settings(), ApplicationServices::projectService());
    return context;
}

void CUiEngine::connectSignals()
{
    if (CSettings* settings = ApplicationServices::settings()) {
        connect(settings, &CSettings::localeNameChanged, this, &CUiEngine::onApplicationSettingsLocaleNameChanged);
        connect(settings, &CSettings::useImperialUnitsChanged, this,
                &CUiEngine::onApplicationSettingsUseImperialUnitsChanged);
    }
    UiEngineServices::connectSessionManager(this);
    if (CDrawingTemplateService* service = ApplicationServices::drawingTemplateService())
        connect(service, &CDrawingTemplateService::templateApplied, this, &CUiEngine::onTemplateApplied);
    UiEngineServices::connectApplication(this);
}

void CUiEngine::applyLocale(const QLocale& locale)
{
    QLocale::setDefault(locale);
    m_translator->setCurrentLocale(locale);
    // Setting a context property again re-evaluates every binding that reads it.
    QQmlContext* root = m_engine->rootContext();
    root->setContextProperty(QStringLiteral("translationEngine"), m_translator.get());
    root->setContextProperty(QStringLiteral("formatHelper"), m_formatHelper.get());
}

void CUiEngine::onApplicationSettingsLocaleNameChanged()
{
    if (const CSettings* settings = ApplicationServices::settings())
        applyLocale(QLocale(settings->localeName()));
}

void CUiEngine::onApplicationSettingsUseImperialUnitsChanged()
{
    m_engine->rootContext()->setContextProperty(QStringLiteral("formatHelper"), m_formatHelper.get());
}

void CUiEngine::onCommunicationStateChanged()
{
    if (UiEngineServices::sessionManagerOffline())
        m_thumbnailManager->removeRemoteThumbnails();
}

void CUiEngine::onCommunicationErrorOccurred(Ulx::CommunicationTypes::CommunicationError error)
{
    emit applicationErrorOccurred(
        TranslationHelper::communicationErrorMessage(error, UiEngineServices::missingWifiInterface()));
}

void CUiEngine::onApplicationErrorOccurred(ApplicationTypes::ApplicationError error)
{
    emit applicationErrorOccurred(TranslationHelper::applicationErrorMessage(error));
}

void CUiEngine::onTemplateApplied(uint, DrawingTemplatePtr, QStringList, QStringList outputFileNames,
                                  DrawingTemplateTypes::DrawingTemplateError error)
{
    if (error != DrawingTemplateTypes::DrawingTemplateErrorNone)
        return;
    for (const QString& name : qAsConst(outputFileNames))
        m_thumbnailManager->removeThumbnail(QUrl::fromLocalFile(name).toString());
}

void CUiEngine::loadMainQml()
{
    if (QString::fromLocal8Bit(qgetenv("CX_DEBUG_QRC")).toLower() == QLatin1String("true")) {
        QDirIterator it(QStringLiteral(":"), QDirIterator::Subdirectories);
        while (it.hasNext())
            CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, it.next(), {});
    }
    connect(m_engine.get(), &QQmlApplicationEngine::objectCreated, this, &CUiEngine::onObjectCreated);
    m_engine->load(mainQmlUrl());
}

void CUiEngine::onObjectCreated(QObject* object, const QUrl& url)
{
    if (object || url.path() != mainQmlUrl().path())
        return;
    // Without its main window the program cannot be used: end with an error, not quietly.
    CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Failed to load the main QML file"),
                        {url.toString()});
    emit mainQmlLoadFailed();
    QCoreApplication::exit(ExitCodeMainQmlFailed);
}
