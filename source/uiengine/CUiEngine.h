#pragma once

#include "application/ApplicationTypes.h"
#include "communication/CommunicationTypes.h"
#include "photoeditor/CDrawingTemplate.h"
#include "photoeditor/DrawingTemplateTypes.h"

#include <QLocale>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <memory>

class QJSEngine;
class QQmlApplicationEngine;
class QQmlEngine;
class CLiveVideoQmlNamespaceObject;
class CQmlFileSystemHelper;
class CQmlFormatHelper;
class CQmlMathHelper;
class CQmlNetworkAccessFactory;
class CRemoteMediaQmlNamespaceObject;
class CSoundManager;
class CSystemQmlNamespaceObject;
class CThumbnailManager;

namespace Tovrin {
namespace Translation {
class CTranslator;
}
} // namespace Tovrin

// The one owner of the QML world: the QML engine, the translator, the helper objects QML
// sees as context properties and the thumbnail manager. Created last at start-up by the
// application, destroyed first at its end; GUI thread only. Everything it creates it owns
// and deletes in its destructor (the QML engine first, the translator last).
class CUiEngine : public QObject
{
    Q_OBJECT

public:
    static void create();
    static void destroy();
    static CUiEngine* instance();

    Tovrin::Translation::CTranslator* translator() const;
    CThumbnailManager* thumbnailManager() const;
    QQmlApplicationEngine* qmlEngine() const;

    // Makes the locale the default one and the translator's language, then has every QML
    // binding that shows a text or a formatted value evaluated again.
    void applyLocale(const QLocale& locale);

    // The file the engine loads as its main QML (the built-in resource); tests point it
    // at a broken file to see the program end with an error.
    static QUrl mainQmlUrl();
    static void setMainQmlUrl(const QUrl& url);
    // The folder whose translation/ holds the translation file: the program's own; tests point
    // it at a folder of theirs (an empty text returns to the program's).
    static QString programFolder();
    static void setProgramFolder(const QString& folder);

    // Process exit code when the main QML cannot be loaded.
    static constexpr int ExitCodeMainQmlFailed = 3;

    static QObject* contextSingletonProvider(QQmlEngine* engine, QJSEngine* scriptEngine);

signals:
    void applicationErrorOccurred(QString errorMessage);
    void mainQmlLoadFailed();

public slots:
    void onApplicationSettingsLocaleNameChanged();
    void onApplicationSettingsUseImperialUnitsChanged();
    void onCommunicationStateChanged();
    void onCommunicationErrorOccurred(Ulx::CommunicationTypes::CommunicationError error);
    void onApplicationErrorOccurred(ApplicationTypes::ApplicationError error);
    void onTemplateApplied(uint taskId, DrawingTemplatePtr drawingTemplate, QStringList inputFileNames,
                           QStringList outputFileNames, DrawingTemplateTypes::DrawingTemplateError error);

private:
    CUiEngine();
    ~CUiEngine() override;

    void registerTypes();
    void setContextProperties();
    void connectSignals();
    void loadMainQml();
    void onObjectCreated(QObject* object, const QUrl& url);

    std::unique_ptr<CQmlNetworkAccessFactory> m_networkAccess;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    std::unique_ptr<Tovrin::Translation::CTranslator> m_translator;
    std::unique_ptr<CQmlFileSystemHelper> m_fileSystemHelper;
    std::unique_ptr<CSoundManager> m_soundManager;
    std::unique_ptr<CRemoteMediaQmlNamespaceObject> m_remoteMedia;
    std::unique_ptr<CSystemQmlNamespaceObject> m_system;
    std::unique_ptr<CLiveVideoQmlNamespaceObject> m_liveVideo;
    std::unique_ptr<CThumbnailManager> m_thumbnailManager;
    std::unique_ptr<CQmlFormatHelper> m_formatHelper;
    std::unique_ptr<CQmlMathHelper> m_mathHelper;
};
