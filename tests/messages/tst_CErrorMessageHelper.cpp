#include "messages/CErrorMessageHelper.h"
#include "messages/TranslationHelper.h"

#include "CLogger.h"
#include "CTranslator.h"
#include "support/LogText.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Tovrin::Logging::CLogger;
using Tovrin::Translation::CTranslator;

namespace {

const QString Sep = QString(QChar(0x2194));
const QString Ctx = QStringLiteral("Ombrastella.Zephira.App.TranslationHelper");
const QString StreamingError2 =
    QStringLiteral("Failed to get a video stream from the camera.\nPlease try reconnecting to it.");

} // namespace

class tst_CErrorMessageHelper : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_logFile;

    // Lines the logger wrote since the last call.
    QStringList takeLogLines() { return takeLogText(m_logFile).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts); }

    std::unique_ptr<CTranslator> germanTranslator()
    {
        const QString name = m_dir.filePath(QStringLiteral("translation.lng"));
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly))
            return nullptr;
        const QStringList lines = {
            QStringList({"Keys", "ENG_USA", "DEU_D"}).join(Sep),
            QStringList({Ctx + ".Msg.ErrorCode", "", "\\n\\nFehlercode: 0x"}).join(Sep),
            QStringList({Ctx + ".Msg.MsgNetworkManagerConnectionFailedError", "", "WLAN-Verbindung fehlgeschlagen."}).join(Sep),
            QStringList({Ctx + ".Msg.MsgMultimediaConnectionError", "", "Kein Videostrom."}).join(Sep),
            QStringList({Ctx + ".Txt.SurveyTypeLateral", "", "Zulauf"}).join(Sep),
            QStringList({Ctx + ".Msg.MediaStorageFull", "", "SD-Karte voll."}).join(Sep),
            QStringList({Ctx + ".Msg.MediaImportErrorFileWriteFailed", "", "Import von {0} fehlgeschlagen."}).join(Sep),
        };
        file.write(lines.join(QLatin1Char('\n')).toUtf8());
        file.close();
        auto translator = std::make_unique<CTranslator>();
        if (!translator->loadTranslationsFromFile(name))
            return nullptr;
        translator->setCurrentLocale(QLocale(QLocale::German, QLocale::Germany));
        return translator;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_logFile = m_dir.filePath(QStringLiteral("test.log"));
        CLogger::setPrintToConsole(false);
        CLogger::setOutputFileName(m_logFile);
    }

    void init()
    {
        CErrorMessageHelper::setTranslator(nullptr);
        TranslationHelper::setSurveyTextTranslator(nullptr);
        takeLogLines();
    }

    void codeDigits_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("application 1") << 10 << 1 << "\n\nError Code: 0xA0001";
        QTest::newRow("web 12") << 5 << 12 << "\n\nError Code: 0x5000C";
        QTest::newRow("none 3") << 0 << 3 << "\n\nError Code: 0x3";
        QTest::newRow("session 1") << 2 << 1 << "\n\nError Code: 0x20001";
        QTest::newRow("negative value keeps category") << 5 << -1 << "\n\nError Code: 0x5FFFF";
    }

    void codeDigits()
    {
        QFETCH(int, category);
        QFETCH(int, value);
        QFETCH(QString, suffix);
        const quint32 code = CErrorMessageHelper::errorCode(CErrorMessageHelper::ErrorCategory(category), value);
        QCOMPARE(CErrorMessageHelper::errorCodeSuffix(code), suffix);
    }

    void messageAndLogLine()
    {
        const QString result = CErrorMessageHelper::createErrorMessage(
            StreamingError2, CErrorMessageHelper::ErrorCategoryVideoStreamer, 2);
        QCOMPARE(result, StreamingError2 + "\n\nError Code: 0x10002");
        const QStringList lines = takeLogLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().endsWith(
                     "category: ErrorCategoryVideoStreamer ; error: 2 (code: Error Code: 0x10002); message: "
                     "Failed to get a video stream from the camera.\\nPlease try reconnecting to it."),
                 qPrintable(lines.first()));
        QVERIFY(lines.first().contains("CErrorMessageHelper"));
    }

    void emptyMessageStillLogs()
    {
        QCOMPARE(CErrorMessageHelper::createErrorMessage(QString(), CErrorMessageHelper::ErrorCategoryWeb, 12), QString());
        const QStringList lines = takeLogLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().endsWith("category: ErrorCategoryWeb ; error: 12 (code: Error Code: 0x5000C); message: "),
                 qPrintable(lines.first()));
    }

    void unnamedCategoryAndPercentSigns()
    {
        const QString result = CErrorMessageHelper::createErrorMessage(
            "100%1 sure %2", CErrorMessageHelper::ErrorCategory(42), 1);
        QCOMPARE(result, QString("100%1 sure %2\n\nError Code: 0x2A0001"));
        const QStringList lines = takeLogLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().endsWith("category:  ; error: 1 (code: Error Code: 0x2A0001); message: 100%1 sure %2"),
                 qPrintable(lines.first()));
    }

    void communicationErrors()
    {
        QVERIFY(TranslationHelper::communicationErrorMessage(
                    Ulx::CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed)
                    .endsWith("Error Code: 0x20001"));
        const QString two = TranslationHelper::communicationErrorMessage(
            Ulx::CommunicationTypes::CommunicationErrorCommunicatorInternal);
        const QString seven = TranslationHelper::communicationErrorMessage(
            Ulx::CommunicationTypes::CommunicationErrorVideoStreamConfigFailed);
        QVERIFY(two.endsWith("0x20002"));
        QVERIFY(seven.endsWith("0x20007"));
        QCOMPARE(two.chopped(1), seven.chopped(1));
        QCOMPARE(TranslationHelper::communicationErrorMessage(Ulx::CommunicationTypes::CommunicationErrorNone), QString());
        QCOMPARE(takeLogLines().size(), 4);
    }

    void otherErrorTables()
    {
        QCOMPARE(TranslationHelper::videoStreamerErrorMessage(Ulx::MultimediaTypes::StreamingErrorConnection),
                 StreamingError2 + "\n\nError Code: 0x10002");
        QVERIFY(TranslationHelper::videoRecorderErrorMessage(Ulx::MultimediaTypes::RecordingErrorInternal)
                    .startsWith("An unkown error occurred"));
        QVERIFY(TranslationHelper::videoRecorderErrorMessage(Ulx::MultimediaTypes::RecordingErrorFileAccess)
                    .endsWith("0x40002"));
        const QString permissions = TranslationHelper::applicationErrorMessage(ApplicationTypes::MissingPermissionsError);
        QVERIFY(permissions.contains("correctly.\n Please check"));
        QVERIFY(permissions.endsWith("Error Code: 0xA0001"));
        QCOMPARE(TranslationHelper::videoStreamerErrorMessage(Ulx::MultimediaTypes::StreamingError(7)), QString());
        QCOMPARE(TranslationHelper::applicationErrorMessage(ApplicationTypes::NoneError), QString());
        QCOMPARE(takeLogLines().size(), 6);
    }

    void plainTextsNeverCarryCodes()
    {
        QCOMPARE(TranslationHelper::loggedErrorText(Ulx::SystemTypes::LoggedErrorPressureLow), QString("Pressure Too Low"));
        QCOMPARE(TranslationHelper::loggedErrorText(Ulx::SystemTypes::LoggedErrorCommunicationUart4),
                 QString("Uart Communication Error 4"));
        QCOMPARE(TranslationHelper::loggedErrorText(Ulx::SystemTypes::LoggedErrorInvalid), QString());
        QCOMPARE(TranslationHelper::loggedErrorText(Ulx::SystemTypes::LoggedError(10)), QString());
        QVERIFY(TranslationHelper::mediaStorageStateMessage(Ulx::RemoteMediaTypes::MediaStorageFull)
                    .startsWith("The SD card of the camera is full.\n\nPlease"));
        QCOMPARE(TranslationHelper::mediaStorageStateMessage(Ulx::RemoteMediaTypes::MediaStorageReady), QString());
        QCOMPARE(TranslationHelper::surveyText(0), QString("Unspecified Survey"));
        QCOMPARE(TranslationHelper::surveyText(1), QString("Section (default)"));
        QCOMPARE(TranslationHelper::surveyText(5), QString("Upstream"));
        QCOMPARE(TranslationHelper::surveyText(17), QString("Remarks"));
        QCOMPARE(TranslationHelper::surveyText(-1), QString());
        QCOMPARE(TranslationHelper::surveyText(18), QString());
        QVERIFY(takeLogLines().isEmpty());
    }

    void translatedTexts()
    {
        auto translator = germanTranslator();
        QVERIFY(translator);
        CErrorMessageHelper::setTranslator(translator.get());
        TranslationHelper::setSurveyTextTranslator(translator.get());

        QCOMPARE(TranslationHelper::communicationErrorMessage(
                     Ulx::CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed),
                 QString("WLAN-Verbindung fehlgeschlagen.\n\nFehlercode: 0x20001"));
        // Streaming error 2 and communication error 6 share one key, so one translation.
        QCOMPARE(TranslationHelper::communicationErrorMessage(Ulx::CommunicationTypes::CommunicationErrorVideoStreamerConnection),
                 QString("Kein Videostrom.\n\nFehlercode: 0x20006"));
        QCOMPARE(TranslationHelper::videoStreamerErrorMessage(Ulx::MultimediaTypes::StreamingErrorConnection),
                 QString("Kein Videostrom.\n\nFehlercode: 0x10002"));
        QCOMPARE(TranslationHelper::surveyText(2), QString("Zulauf"));
        QCOMPARE(TranslationHelper::mediaStorageStateMessage(Ulx::RemoteMediaTypes::MediaStorageFull), QString("SD-Karte voll."));
        // Keys the file lacks keep their English defaults.
        QCOMPARE(TranslationHelper::surveyText(3), QString("Manhole"));
        const QStringList lines = takeLogLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines.first().endsWith("(code: Fehlercode: 0x20001); message: WLAN-Verbindung fehlgeschlagen."),
                 qPrintable(lines.first()));
    }

    void clearedOrDeletedTranslatorFallsBackToEnglish()
    {
        auto translator = germanTranslator();
        QVERIFY(translator);
        CErrorMessageHelper::setTranslator(translator.get());
        TranslationHelper::setSurveyTextTranslator(translator.get());
        QCOMPARE(TranslationHelper::surveyText(2), QString("Zulauf"));

        // The engine's teardown deletes the translator; texts asked for afterwards are English.
        translator.reset();
        QCOMPARE(CErrorMessageHelper::translator(), nullptr);
        QCOMPARE(TranslationHelper::surveyText(2), QString("Lateral"));
        QCOMPARE(TranslationHelper::communicationErrorMessage(Ulx::CommunicationTypes::CommunicationErrorVideoStreamerConnection),
                 QString("Failed to get a video stream from the camera system.\nPlease try reconnecting to it.\n\nError Code: 0x20006"));

        CErrorMessageHelper::setTranslator(nullptr);
        TranslationHelper::setSurveyTextTranslator(nullptr);
        QCOMPARE(TranslationHelper::loggedErrorText(Ulx::SystemTypes::LoggedErrorPressureOK), QString("Pressure OK"));
    }

    void webMessagesAlwaysCarryTheirCode()
    {
        using namespace Tovrin::Web;
        const QString internal = QStringLiteral(
            "An internal error related to the Web occurred which was not supposed to happen.\nPlease notify your service station about this error.");
        QCOMPARE(TranslationHelper::webErrorMessage(ErrorTimeOut),
                 QString("Failed to connect to the Tovrin Web server.\nPlease check your Internet connection.\n\nError Code: 0x50001"));
        QVERIFY(TranslationHelper::webErrorMessage(ErrorFalseCredentials).startsWith("Failed to connect to the Tovrin Web server - either"));
        QVERIFY(TranslationHelper::webErrorMessage(ErrorFalseCredentials).endsWith("Error Code: 0x50003"));
        // A connection refused, reset or cut is the link's, not the program's: the operator is
        // sent to the connection, not to the service station. 2, 9 and 12 share the internal text.
        QCOMPARE(TranslationHelper::webErrorMessage(ErrorNetwork),
                 QString("Failed to connect to the Tovrin Web server.\nPlease check your Internet connection.\n\nError Code: 0x5000E"));
        QCOMPARE(TranslationHelper::webErrorMessage(ErrorInternalServer), internal + "\n\nError Code: 0x50002");
        QCOMPARE(TranslationHelper::webErrorMessage(static_cast<Error>(9)), internal + "\n\nError Code: 0x50009");
        QVERIFY(TranslationHelper::webErrorMessage(ErrorEmptyMediaDownloadLink).startsWith("Multimedia download file failed"));
        // Values without a text: the code alone, never an empty message.
        QCOMPARE(TranslationHelper::webErrorMessage(ErrorNone), QString("\n\nError Code: 0x50000"));
        QCOMPARE(TranslationHelper::webErrorMessage(static_cast<Error>(16)), QString("\n\nError Code: 0x50010"));
        QCOMPARE(TranslationHelper::webErrorMessage(static_cast<Error>(300)), QString("\n\nError Code: 0x5012C"));
        QCOMPARE(takeLogLines().size(), 10);
    }

    void transferMessagesNameTheFile()
    {
        QCOMPARE(TranslationHelper::mediaImportErrorMessage(5, "IMG_0003.JPG"),
                 QString("Failed to import the file IMG_0003.JPG.\n\nPlease verify that the file import folder is not write-protected and try again.\n\nError Code: 0x90005"));
        QVERIFY(TranslationHelper::mediaImportErrorMessage(3, "a.png").contains("the file a.png on your tablet"));
        QVERIFY(TranslationHelper::mediaImportErrorMessage(2).endsWith("try again.\n\nError Code: 0x90002"));
        // A drive that filled during the transfer is named as full.
        QCOMPARE(TranslationHelper::mediaImportErrorMessage(6, "x.jpg"),
                 QString("Failed to import the file x.jpg - there is not enough free storage space on your tablet.\n\nPlease free up some space and try again.\n\nError Code: 0x90006"));
        QCOMPARE(TranslationHelper::mediaDownloadErrorMessage(9, "v.mp4"),
                 QString("Failed to save the file v.mp4 to your tablet - there is not enough free storage space on your tablet.\n\nPlease free up some space and try again.\n\nError Code: 0x70009"));
        QCOMPARE(TranslationHelper::mediaImportErrorMessage(7, "x"), QString());
        QCOMPARE(TranslationHelper::mediaDownloadErrorMessage(4, "IMG_0003.JPG"),
                 QString("Failed to download the file IMG_0003.JPG from the camera.\n\nPlease check the Wifi connectivity to the camera and try again.\n\nError Code: 0x70004"));
        QVERIFY(TranslationHelper::mediaDownloadErrorMessage(5, "v.mp4").startsWith("Failed to save the file v.mp4 to your tablet."));
        QVERIFY(TranslationHelper::mediaDownloadErrorMessage(1).endsWith("0x70001"));
        QCOMPARE(TranslationHelper::mediaDownloadErrorMessage(0), QString());
        // A file name that looks like a placeholder is inserted as it is.
        QVERIFY(TranslationHelper::mediaImportErrorMessage(4, "{0}.jpg").contains("the file {0}.jpg."));

        auto translator = germanTranslator();
        QVERIFY(translator);
        CErrorMessageHelper::setTranslator(translator.get());
        QCOMPARE(TranslationHelper::mediaImportErrorMessage(5, "b.mp4"),
                 QString("Import von b.mp4 fehlgeschlagen.\n\nFehlercode: 0x90005"));
        QCOMPARE(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorNone), QString("\n\nFehlercode: 0x50000"));
    }
};

QTEST_GUILESS_MAIN(tst_CErrorMessageHelper)
#include "tst_CErrorMessageHelper.moc"
