// Request construction: addresses, query encoding, service headers, signing (with the RFC 4231
// vectors), the service's Date form under a foreign locale, and the XML and form bodies.

#include "NetworkRequestBodyBuilder.h"
#include "NetworkRequestBuilder.h"
#include "RequestSigning.h"
#include "TovrinWebTypes.h"
#include "WebCommunicator.h"
#include "WebConstants.h"

#include "ApplicationUrls.h"

#include <QCryptographicHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Tovrin::Web;

namespace {
const QString kRoot = QStringLiteral("http://127.0.0.1:9/");

QByteArray header(const QNetworkRequest& request, const char* name)
{
    return request.rawHeader(name);
}
} // namespace

class tst_NetworkRequestBuilder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationVersion(QStringLiteral("1.7.9"));
        QCoreApplication::setApplicationName(QStringLiteral("Culvertix Field"));
        Tovrin::Shared::ApplicationUrls::setRootUrl(kRoot);
    }

    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void hmacMatchesRfc4231_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("macHex");
        QTest::newRow("case 1") << QByteArray(20, '\x0b') << QByteArray("Hi There")
                                << QByteArray("b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
        QTest::newRow("case 2") << QByteArray("Jefe") << QByteArray("what do ya want for nothing?")
                                << QByteArray("5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
        QTest::newRow("case 3") << QByteArray(20, '\xaa') << QByteArray(50, '\xdd')
                                << QByteArray("773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe");
        QTest::newRow("case 4") << QByteArray::fromHex("0102030405060708090a0b0c0d0e0f10111213141516171819")
                                << QByteArray(50, '\xcd')
                                << QByteArray("82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b");
        QTest::newRow("case 6") << QByteArray(131, '\xaa')
                                << QByteArray("Test Using Larger Than Block-Size Key - Hash Key First")
                                << QByteArray("60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
        QTest::newRow("case 7") << QByteArray(131, '\xaa')
                                << QByteArray("This is a test using a larger than block-size key and a larger than block-size "
                                              "data. The key needs to be hashed before being used by the HMAC algorithm.")
                                << QByteArray("9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2");
    }

    void hmacMatchesRfc4231()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, macHex);
        QCOMPARE(hmacSha256(key, data), QByteArray::fromHex(macHex).toBase64());
        QCOMPARE(hmacSha256(key, data).size(), 44);
    }

    void hmacKeyLengths()
    {
        const QByteArray message("message");
        const QByteArray key65(65, 'k');
        const QByteArray key64(64, 'k');
        QCOMPARE(hmacSha256(key65, message), hmacSha256(QCryptographicHash::hash(key65, QCryptographicHash::Sha256), message));
        QVERIFY(hmacSha256(key64, message) != hmacSha256(QCryptographicHash::hash(key64, QCryptographicHash::Sha256), message));
        QCOMPARE(hmacSha256(QByteArray(), message), hmacSha256(QByteArray(64, '\0'), message));
    }

    void stringToSignHasFiveLines()
    {
        const QByteArray text = buildStringToSign(POST, "Sun, 06 Dec 2026 07:51:37 GMT", "{token}", "client-7",
                                                  QStringLiteral("api/bucket/listoffilesfromlocations"));
        QCOMPARE(text, QByteArray("POST\nSun, 06 Dec 2026 07:51:37 GMT\n{token}\nclient-7\napi/bucket/listoffilesfromlocations"));
        const QByteArray outOfRange = buildStringToSign(static_cast<RequestMethod>(7), "d", "t", "c", QStringLiteral("p"));
        QVERIFY(outOfRange.startsWith('\n'));
    }

    void serviceRequestIsSignedOverItsOwnHeaders()
    {
        NetworkRequestBuilder builder("FieldPad", QByteArray());
        builder.setClientData(QStringLiteral("client-1"), QStringLiteral("s3cr3t"));
        const QNetworkRequest request = builder.initializeServiceRequest(QStringLiteral("api/bucket/abc"))
                                            .usingMethod(PUT)
                                            .withParam(QStringLiteral("x"), QStringLiteral("1 2"))
                                            .withAuthHeader();
        QCOMPARE(request.url().toString(QUrl::FullyEncoded), kRoot + QStringLiteral("tovrinservice/api/bucket/abc?x=1%202"));
        QCOMPARE(header(request, "X-TovrinService-ClientId"), QByteArray("client-1"));
        const QByteArray token = header(request, "X-TovrinService-MessageToken");
        QVERIFY(QRegularExpression(QStringLiteral("^\\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\}$"))
                    .match(QString::fromLatin1(token))
                    .hasMatch());
        const QByteArray date = header(request, "Date");
        // The query is not part of what is signed.
        const QByteArray expected =
            "TovrinService " + hmacSha256("s3cr3t", "PUT\n" + date + "\n" + token + "\nclient-1\napi/bucket/abc");
        QCOMPARE(header(request, "Authorization"), expected);
        QCOMPARE(header(request, "Accept"), QByteArray("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"));
        QCOMPARE(request.header(QNetworkRequest::ContentTypeHeader).toString(), QStringLiteral("application/xml; charset=UTF-8"));
        QCOMPARE(request.header(QNetworkRequest::UserAgentHeader).toString(), QStringLiteral("CulvertixField / 1.7.9"));
    }

    void clientIdFollowsLoginData()
    {
        NetworkRequestBuilder builder("FieldPad", QByteArray());
        QNetworkRequest request = builder.initializeServiceRequest(QStringLiteral("api/Status/Get"));
        QCOMPARE(header(request, "X-TovrinService-ClientId"), QByteArray("FieldPad"));
        builder.setClientData(QStringLiteral("announced"), QStringLiteral("key"));
        request = builder.initializeServiceRequest(QStringLiteral("api/Status/Get"));
        QCOMPARE(header(request, "X-TovrinService-ClientId"), QByteArray("announced"));
        builder.setBearerToken(QStringLiteral("tok"));
        builder.setTovrinServiceUrl(QStringLiteral("http://127.0.0.1:9/other/"));
        builder.clearLoginData();
        request = builder.initializeServiceRequest(QStringLiteral("api/Status/Get"));
        QCOMPARE(header(request, "X-TovrinService-ClientId"), QByteArray("FieldPad"));
        QCOMPARE(request.url().toString(), QStringLiteral("http://127.0.0.1:9/other/api/Status/Get"));
        request = builder.initializeWebRequest(QStringLiteral("api/Projects")).withAuthHeader();
        QCOMPARE(header(request, "Authorization"), QByteArray("Bearer "));
    }

    void queryEncoding()
    {
        NetworkRequestBuilder builder("FieldPad", QByteArray());
        QNetworkRequest request = builder.initializeRequest(true, QStringLiteral("api/x"))
                                      .withParam(QStringLiteral("a b"), QStringLiteral("1 & 2"))
                                      .withParam(QStringLiteral("k"), QStringLiteral("ü~-._"));
        QCOMPARE(request.url().toString(QUrl::FullyEncoded), kRoot + QStringLiteral("api/x?a%20b=1%20%26%202&k=%C3%BC~-._"));
        request = builder.initializeRequest(true, QStringLiteral("api/x"));
        QVERIFY(!request.url().hasQuery());
        QVERIFY(request.rawHeaderList().isEmpty());
    }

    void headerDefaultsAndReplacement()
    {
        NetworkRequestBuilder builder("FieldPad", QByteArray());
        QNetworkRequest request = builder.initializeServiceRequest(QStringLiteral("api/x")).withAcceptHeader(QStringLiteral("application/json"));
        QCOMPARE(header(request, "Accept"), QByteArray("application/json"));
        QVERIFY(!header(request, "Date").isEmpty());
        QVERIFY(!header(request, "X-TovrinService-MessageToken").isEmpty());
        request = builder.initializeRequest(true, QStringLiteral("api/x")).withAcceptHeader(QString()).withContentTypeHeader(QByteArray());
        QCOMPARE(header(request, "Accept"), QByteArray("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"));
        QCOMPARE(request.header(QNetworkRequest::ContentTypeHeader).toString(), QStringLiteral("application/xml; charset=UTF-8"));
        request = builder.initializeRequest(true, QStringLiteral("login")).withCommonLoginHeader("secret");
        QCOMPARE(header(request, "Authorization"), QByteArray("Bearer secret"));
        QCOMPARE(header(request, "Referer"), kRoot.toUtf8());
    }

    void rawRequestIsUsedExactly()
    {
        NetworkRequestBuilder builder("FieldPad", QByteArray());
        const QString url = QStringLiteral("http://127.0.0.1:9/storage/a%20b?X-Signature=abc");
        const QNetworkRequest request = builder.initializeRawRequest(url);
        QCOMPARE(request.url().toString(QUrl::FullyEncoded), url);
        QVERIFY(request.rawHeaderList().isEmpty());
    }

    void leadingSlashRouteGivesDoubleSlash()
    {
        NetworkRequestBuilder builder("FieldPad", QByteArray());
        const QNetworkRequest request =
            builder.initializeWebRequest(Constants::Route::MULTIPART_UPLOAD_INIT.arg(QStringLiteral("p1")));
        QCOMPARE(request.url().toString(), kRoot + QStringLiteral("/api/Storage/Project/p1/MultipartInit"));
    }

    void dateUsesEnglishNamesUnderGermanLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QDateTime time(QDate(2026, 12, 6), QTime(7, 51, 37), Qt::UTC);
        QCOMPARE(NetworkRequestBuilder::formatHttpDate(time), QStringLiteral("Sun, 06 Dec 2026 07:51:37 GMT"));
        const QDateTime afternoon(QDate(2026, 3, 2), QTime(15, 4, 5), Qt::UTC);
        QCOMPARE(NetworkRequestBuilder::formatHttpDate(afternoon), QStringLiteral("Mon, 02 Mar 2026 15:04:05 GMT"));
    }

    void dateFollowsServerOffset()
    {
        NetworkRequestBuilder builder("FieldPad", QByteArray());
        builder.setServerTimeOffset(-3600);
        const QDateTime before = QDateTime::currentDateTimeUtc();
        const QString text = builder.getCurrentTimeUtc();
        const QDateTime parsed =
            QLocale::c().toDateTime(text.chopped(4), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss"));
        QVERIFY(parsed.isValid());
        QDateTime parsedUtc = parsed;
        parsedUtc.setTimeSpec(Qt::UTC);
        QVERIFY(qAbs(parsedUtc.secsTo(before) - 3600) <= 2);
    }

    void bodyBuilderBasics()
    {
        QCOMPARE(NetworkRequestBodyBuilder().startElement("Root").generate(), QByteArray("<Root></Root>"));
        QCOMPARE(NetworkRequestBodyBuilder().startElement("Root", "a=\"1\"").addElement("", "x").generate(),
                 QByteArray("<Root a=\"1\"></Root>"));
        QCOMPARE(NetworkRequestBodyBuilder().closeElement().generate(), QByteArray());
        QCOMPARE(NetworkRequestBodyBuilder().startElement("A").startElement("B").addElement("C", "v").generate(),
                 QByteArray("<A><B><C>v</C></B></A>"));
    }

    void bodyValuesAreEscaped()
    {
        const QByteArray body = WebCommunicator::buildBeginUploadBody(
            QStringLiteral("c"), QStringLiteral("2026-01-02T03:04:05Z"), QStringLiteral("e@x"), QStringLiteral("P1"),
            QStringLiteral("Pipes & <Drains></ProjectName><Evil>"));
        QVERIFY(body.contains("<ProjectName>Pipes &amp; &lt;Drains&gt;&lt;/ProjectName&gt;&lt;Evil&gt;</ProjectName>"));
        QVERIFY(!body.contains("<Evil>"));
    }

    void beginUploadBodyOrder()
    {
        const QByteArray body = WebCommunicator::buildBeginUploadBody(QStringLiteral("C1"), QStringLiteral("D"),
                                                                      QStringLiteral("E"), QStringLiteral("P"),
                                                                      QStringLiteral("N"));
        QCOMPARE(body, QByteArray("<InitUploadProcesModel ") + Constants::Xml::NAMESPACE_WEB
                           + "><CompanyId>C1</CompanyId><CreationDate>D</CreationDate><Email>E</Email>"
                             "<HasPermissionsToOverrideAllProject>true</HasPermissionsToOverrideAllProject>"
                             "<TarnwickImport>false</TarnwickImport><ProjectId>P</ProjectId><ProjectName>N</ProjectName>"
                             "</InitUploadProcesModel>");
        QVERIFY(Constants::Xml::NAMESPACE_WEB.startsWith("xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns=\""));
    }

    void finishUploadBodyByImportType()
    {
        const QByteArray head = QByteArray("<UploadProcesMessageModel ") + Constants::Xml::NAMESPACE_WEB + ">";
        QCOMPARE(WebCommunicator::buildFinishUploadBody(QStringLiteral("P"), ImportTypeProject),
                 head + "<ProjectId>P</ProjectId></UploadProcesMessageModel>");
        QCOMPARE(WebCommunicator::buildFinishUploadBody(QStringLiteral("P"), ImportTypeKQProject),
                 head + "<TarnwickImport>true</TarnwickImport><ProjectId>P</ProjectId></UploadProcesMessageModel>");
        QCOMPARE(WebCommunicator::buildFinishUploadBody(QStringLiteral("P"), ImportTypeZephiraProject),
                 head + "<ImportType>Zephira</ImportType><ProjectId>P</ProjectId></UploadProcesMessageModel>");
        QCOMPARE(WebCommunicator::importTypeToStr(ImportTypeZephiraProject), QByteArray("<ImportType>Zephira</ImportType>"));
        QCOMPARE(WebCommunicator::importTypeToStr(ImportTypeProject), QByteArray());
    }

    void listFilesBodyKeepsEmptyPrefixes()
    {
        const QByteArray body = WebCommunicator::buildListFilesBody(QStringLiteral("B"), QStringLiteral("/"), {});
        QVERIFY(body.endsWith("<Prefixes xmlns:d2p1=\"http://schemas.microsoft.com/2003/10/Serialization/Arrays\">"
                              "</Prefixes></FileListFromLocationsRequest>"));
        const QByteArray two =
            WebCommunicator::buildListFilesBody(QStringLiteral("B"), QStringLiteral("/"), {QStringLiteral("a/"), QStringLiteral("b/")});
        QVERIFY(two.contains("<d2p1:string>a/</d2p1:string><d2p1:string>b/</d2p1:string></Prefixes>"));
        QCOMPARE(Constants::LegacyXml::PREFIXES_O,
                 QByteArray("<Prefixes ") + Constants::Xml::PREFIX_API + ">");
    }

    void transcodingBody()
    {
        const UploadFileDescriptor file(QStringLiteral("P"), QStringLiteral("Bkt"), QStringLiteral("/tmp/x.mp4"), QString(),
                                        QStringLiteral("Video/Sec/pipe1.mp4"), true);
        const QByteArray body = WebCommunicator::buildTranscodingJobBody(file);
        QVERIFY(body.contains("<BucketName>Bkt</BucketName><FileKey>Video/Sec/pipe1.mp4</FileKey>"
                              "<OutputKeyWithoutExtension>Video/sec/web/pipe1</OutputKeyWithoutExtension>"));
    }

    void formLoginEncodesEveryValue()
    {
        const QByteArray body = WebCommunicator::buildFormLoginBody(QStringLiteral("a user"), QStringLiteral("p&w=1 %"),
                                                                    QStringLiteral("12 34"));
        QCOMPARE(body, QByteArray("grant_type=password&keepInMind=true&username=a%20user&password=p%26w%3D1%20%25"
                                  "&twoFactorAuthenticationCode=12%2034"));
    }

    void projectInfoValueSemantics()
    {
        const ProjectInfo empty;
        QVERIFY(empty.projectName().isEmpty());
        QVERIFY(!empty.creationDate().isValid());
        QCOMPARE(empty.diskUsage(), quint64(0));
        QVERIFY(empty.isImportedByWeb());

        ProjectInfo a(QStringLiteral("A"), QStringLiteral("id"), QStringLiteral("w"), QStringLiteral("f"), QDateTime(), 1, true);
        ProjectInfo b(QStringLiteral("B"), QStringLiteral("id"), QStringLiteral("x"), QStringLiteral("g"), QDateTime(), 2, true);
        QCOMPARE(a, b);
        QCOMPARE(qHash(a), qHash(b));
        QCOMPARE(QSet<ProjectInfo>({a, b}).size(), 1);
        b.setIsImportedByWeb(false);
        QVERIFY(a != b);

        ProjectInfo copy = a;
        copy.setProjectName(QStringLiteral("changed"));
        copy.setDiskUsage(5368709120ull);
        QCOMPARE(a.projectName(), QStringLiteral("A"));
        QCOMPARE(copy.diskUsage(), 5368709120ull);
    }

    void uploadFileKeys()
    {
        auto key = [](const QString& fileKey) {
            return UploadFileDescriptor(QString(), QString(), QString(), QString(), fileKey, false);
        };
        QVERIFY(key(QStringLiteral("Misc/docu/report.pdf")).isDocumentationFile());
        QVERIFY(key(QStringLiteral("x/misc/DOCU")).isDocumentationFile());
        QVERIFY(!key(QStringLiteral("Misc/Doc/x")).isDocumentationFile());
        QCOMPARE(key(QStringLiteral("Video/Nod/pipe1.mp4")).outputKeyWithoutExtension(), QStringLiteral("Video/Nod/pipe1"));
        QCOMPARE(key(QStringLiteral("Video/Sec/section1.a.mp4")).outputKeyWithoutExtension(),
                 QStringLiteral("Video/sec/web/sec/webtion1"));
        QCOMPARE(key(QStringLiteral("Video/SEC/noext")).outputKeyWithoutExtension(), QStringLiteral("Video/sec/web/noext"));
    }

    void addressesAreRedactedForTheLog()
    {
        const QString text = QStringLiteral("Error transferring http://127.0.0.1:5/storage/x?X-Expires=1&X-Signature=abc - server replied");
        const QString redacted = redactAddresses(text);
        QVERIFY(!redacted.contains(QStringLiteral("abc")));
        QVERIFY(redacted.contains(QStringLiteral("http://127.0.0.1:5/storage/x?<redacted>")));
        QVERIFY(redacted.endsWith(QStringLiteral(" - server replied")));
    }
};

QTEST_GUILESS_MAIN(tst_NetworkRequestBuilder)
#include "tst_NetworkRequestBuilder.moc"
