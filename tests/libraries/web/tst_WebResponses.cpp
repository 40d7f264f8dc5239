// Typed replies: the error mapping from network errors, the login reply's outcomes, and the JSON,
// XML and plain-text readers, malformed and oversized input included.

#include "LoginResponse.h"
#include "ProjectResponses.h"
#include "SessionResponses.h"
#include "StorageResponses.h"
#include "TovrinWebLibrary.h"
#include "UploadFileMultiPartRequestHandle.h"

#include "TransferWatchdog.h"

#include <QTest>

using namespace Tovrin::Web;

namespace {

// As a request handle reads an answer that arrives in one piece.
template <typename Reader, typename Reply>
Reply readAnswer(const QByteArray& body, QNetworkReply::NetworkError error)
{
    Reader reader;
    reader.addData(body);
    Reply reply;
    reply.setError(error);
    reader.finishInto(reply);
    return reply;
}

UserProjectsResponse projectsFrom(const QByteArray& body, QNetworkReply::NetworkError error = QNetworkReply::NoError)
{
    return readAnswer<UserProjectListReader, UserProjectsResponse>(body, error);
}

SingleProjectFileDownloadResponse linksFrom(const QString& text)
{
    return readAnswer<MediaLinkListReader, SingleProjectFileDownloadResponse>(text.toUtf8(), QNetworkReply::NoError);
}

} // namespace

class tst_WebResponses : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TovrinWebLibrary::initialize(); }

    void errorMapping_data()
    {
        QTest::addColumn<int>("networkError");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("succeeded");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("none") << int(QNetworkReply::NoError) << int(ErrorNone) << true << false;
        QTest::newRow("time-out") << int(QNetworkReply::TimeoutError) << int(ErrorTimeOut) << false << false;
        QTest::newRow("cancelled") << int(QNetworkReply::OperationCanceledError) << int(ErrorCancelled) << false << true;
        // What Qt reports for a body it could not finish writing to a connection that was reset.
        QTest::newRow("unknown network") << int(QNetworkReply::UnknownNetworkError) << int(ErrorNetwork) << false << false;
        QTest::newRow("auth") << int(QNetworkReply::AuthenticationRequiredError) << int(ErrorFalseCredentials) << false << false;
        QTest::newRow("server") << int(QNetworkReply::InternalServerError) << int(ErrorInternalServer) << false << false;
        QTest::newRow("not found") << int(QNetworkReply::ContentNotFoundError) << int(ErrorNetwork) << false << false;
        QTest::newRow("refused") << int(QNetworkReply::ConnectionRefusedError) << int(ErrorNetwork) << false << false;
        QTest::newRow("tls") << int(QNetworkReply::SslHandshakeFailedError) << int(ErrorNetwork) << false << false;
    }

    void errorMapping()
    {
        QFETCH(int, networkError);
        QFETCH(int, error);
        QFETCH(bool, succeeded);
        QFETCH(bool, cancelled);
        Response response;
        response.setError(static_cast<QNetworkReply::NetworkError>(networkError));
        QCOMPARE(int(response.error()), error);
        QCOMPARE(response.isRequestSuccessful(), succeeded);
        QCOMPARE(response.isCancelled(), cancelled);
    }

    void loginSuccess()
    {
        LoginResponse response;
        response.setError(QNetworkReply::NoError);
        const QDateTime before = QDateTime::currentDateTime();
        response.fromJson(QString::fromUtf8("{\"error\":null,\"access_token\":\"T\",\"expires_in\":3600,\"username\":\"u\","
                                         "\"id\":\"7\",\"companyId\":\"C\",\"applicationUsers\":[]}"));
        QVERIFY(response.isSuccess());
        QCOMPARE(response.loginResult(), TovrinWebApi::LoginResultSuccess);
        QCOMPARE(response.accessToken(), QStringLiteral("T"));
        QCOMPARE(response.currentUserToken(), QStringLiteral("T"));
        QCOMPARE(response.userName(), QStringLiteral("u"));
        QCOMPARE(response.userId(), QStringLiteral("7"));
        QCOMPARE(response.companyId(), QStringLiteral("C"));
        QCOMPARE(response.expiresIn(), 3600);
        QVERIFY(qAbs(before.secsTo(response.expirationDate()) - 3600) <= 2);
        QVERIFY(response.applicationUsers().isEmpty());
        QVERIFY(response.firstName().isEmpty());
        QVERIFY(response.role().isEmpty());
    }

    void loginRefused()
    {
        LoginResponse response;
        response.setError(QNetworkReply::NoError);
        response.fromJson(QString::fromUtf8("{\"error\":\"Invalid user credentials.\",\"needTwoFactor\":true,\"errorMsgLog\":\"x\"}"));
        QVERIFY(!response.isSuccess());
        QVERIFY(response.needTwoFactor());
        QCOMPARE(response.error(), ErrorFalseCredentials);
        QCOMPARE(response.loginResult(), TovrinWebApi::LoginResultFalseCredentials);
        QCOMPARE(response.errorMsgLog(), QStringLiteral("x"));

        LoginResponse other;
        other.fromJson(QString::fromUtf8("{\"error\":\"Locked\"}"));
        QCOMPARE(other.error(), ErrorNetwork);
        QCOMPARE(other.loginResult(), TovrinWebApi::LoginResultFalseCredentials);
    }

    void loginUnreadableOrFailed()
    {
        // Answers that are no login reply: not understood, neither a time-out nor a refusal.
        for (const char* body : {"<html>no</html>", "[{\"error\":null,\"access_token\":\"T\"}]", "\"T\"", "{}",
                                 "{\"error\":null,\"access_token\":7}"}) {
            LoginResponse garbage;
            garbage.setError(QNetworkReply::NoError);
            garbage.fromJson(QString::fromUtf8(body));
            QVERIFY2(!garbage.isSuccess(), body);
            QCOMPARE(garbage.error(), ErrorInvalidReply);
            QCOMPARE(garbage.loginResult(), TovrinWebApi::LoginResultInvalidReply);
            QVERIFY(garbage.accessToken().isEmpty());
        }

        LoginResponse serverError;
        serverError.setError(QNetworkReply::InternalServerError);
        serverError.fromJson(QString::fromUtf8("{\"message\":\"oops\"}"));
        QVERIFY(!serverError.isSuccess());
        QCOMPARE(serverError.loginResult(), TovrinWebApi::LoginResultTimeOut);
        QCOMPARE(serverError.error(), ErrorInternalServer);

        LoginResponse empty;
        empty.setError(QNetworkReply::ConnectionRefusedError);
        empty.fromJson(QString());
        QCOMPARE(empty.loginResult(), TovrinWebApi::LoginResultTimeOut);

        LoginResponse cancelled;
        cancelled.setError(QNetworkReply::OperationCanceledError);
        cancelled.fromJson(QString::fromUtf8("{\"error\":null,\"access_token\":\"T\"}"));
        QVERIFY(!cancelled.isSuccess());
        QCOMPARE(cancelled.loginResult(), TovrinWebApi::LoginResultCancelled);
        QVERIFY(cancelled.accessToken().isEmpty());
    }

    void applicationUsersOrderedByAlias()
    {
        LoginResponse response;
        response.fromJson(QString::fromUtf8("{\"access_token\":\"T\",\"applicationUsers\":[{\"id\":\"7\",\"alias\":\"b\"},{\"id\":\"8\",\"alias\":\"a\"}]}"));
        const QMap<QString, QString> users = response.applicationUsers();
        QCOMPARE(users.keys(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(users.value(QStringLiteral("a")), QStringLiteral("8"));
        QCOMPARE(users.value(QStringLiteral("b")), QStringLiteral("7"));
    }

    void copiesDetach()
    {
        LoginResponse first;
        first.fromJson(QString::fromUtf8("{\"access_token\":\"A\"}"));
        LoginResponse second = first;
        second.fromJson(QString::fromUtf8("{\"access_token\":\"B\"}"));
        QCOMPARE(first.accessToken(), QStringLiteral("A"));
        QCOMPARE(second.accessToken(), QStringLiteral("B"));
    }

    void projectSizesAbove2GiB()
    {
        const UserProjectsResponse response = projectsFrom(QByteArray("{\"projects\":[{\"projectName\":\"Big\",\"projectId\":\"1\",\"webProjectId\":\"w\","
                                         "\"projectFolderName\":\"f\",\"projectImportDate\":\"2026-01-02T03:04:05Z\",\"diskUsage\":5368709120},"
                                         "{\"projectName\":\"NoSize\",\"diskUsage\":1.5},{\"projectName\":\"Neg\",\"diskUsage\":-4}]}"));
        QCOMPARE(response.projects().size(), 3);
        QCOMPARE(response.projects().at(0).diskUsage, Q_INT64_C(5368709120));
        QCOMPARE(response.projects().at(0).projectImportDate, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
        QCOMPARE(response.projects().at(1).diskUsage, Q_INT64_C(0));
        QCOMPARE(response.projects().at(2).diskUsage, Q_INT64_C(-4));

        ListOfFilesFromLocationResponse listing;
        listing.fromJson(QString::fromUtf8("[{\"key\":\"a/b.mp4\",\"size\":3221225472,\"modifiedDate\":\"2026-01-02T03:04:05Z\"}]"));
        QCOMPARE(listing.files().size(), 1);
        QCOMPARE(listing.files().at(0).size, Q_INT64_C(3221225472));
        QCOMPARE(listing.files().at(0).fileName, QStringLiteral("a/b.mp4"));
        QCOMPARE(listing.files().at(0).type, 1);
    }

    // The project list is read as its pieces arrive: whatever the cuts, the same projects, with
    // brackets, commas, quotes and escapes inside their texts, and members around the list.
    void projectListReadPieceByPiece()
    {
        const QByteArray body = QByteArrayLiteral(
            "{\"total\": {\"count\": [2]}, \"projects\" : [ {\"projectName\":\"A ], {x\\\" \\\\\",\"projectId\":\"a\","
            "\"tags\":[1,[2]]} ,{\"projectName\":\"B\\u00e9\",\"projectId\":\"b\",\"diskUsage\":7}], \"note\":\"[\"}");
        const UserProjectsResponse whole = projectsFrom(body);
        QCOMPARE(whole.error(), ErrorNone);
        QCOMPARE(whole.projects().size(), 2);
        QCOMPARE(whole.projects().at(0).projectName, QStringLiteral("A ], {x\" \\"));
        QCOMPARE(whole.projects().at(1).projectName, QString::fromUtf8("B\u00e9"));
        QCOMPARE(whole.projects().at(1).diskUsage, Q_INT64_C(7));
        for (int cut = 1; cut <= 7; cut += 3) {
            UserProjectListReader reader;
            for (int i = 0; i < body.size(); i += cut)
                reader.addData(body.mid(i, cut));
            UserProjectsResponse pieces;
            reader.finishInto(pieces);
            QCOMPARE(pieces.error(), ErrorNone);
            QCOMPARE(pieces.projects().size(), 2);
            QCOMPARE(pieces.projects().at(0).projectName, whole.projects().at(0).projectName);
            QCOMPARE(pieces.projects().at(1).projectId, QStringLiteral("b"));
        }
    }

    // Beside its list an answer may carry anything an answer held whole may be: a long message or
    // a long list under another key; only more than that is refused.
    void whatStandsBesideTheProjectListIsHeldToTheAnswersBound()
    {
        QByteArray others = "[";
        for (int i = 0; i < 2000; ++i)
            others += (i == 0 ? "" : ",") + QByteArray("{\"projectName\":\"other\",\"projectId\":\"") + QByteArray::number(i) + "\"}";
        others += ']';
        const auto answer = [](const QByteArray& beside) {
            return "{\"message\":\"" + beside + "\",\"projects\":[{\"projectName\":\"A\",\"projectId\":\"a\"}],"
                   "\"archived\":[]}";
        };
        const auto read = [](const QByteArray& body) {
            UserProjectListReader reader;
            for (int i = 0; i < body.size(); i += 4096)
                reader.addData(body.mid(i, 4096));
            UserProjectsResponse response;
            reader.finishInto(response);
            return response;
        };
        for (const QByteArray& body : {answer(QByteArray(100 * 1000, 'm')), answer("x").replace("[]", others)}) {
            const UserProjectsResponse response = read(body);
            QCOMPARE(response.error(), ErrorNone);
            QCOMPARE(response.projects().size(), 1);
            QCOMPARE(response.projects().at(0).projectId, QStringLiteral("a"));
        }
        QCOMPARE(read(answer(QByteArray(int(Tovrin::Shared::TransferWatchdog::MaxReplyBytes), 'm'))).error(), ErrorInvalidReply);
    }

    void malformedJsonKeepsDefaults()
    {
        // Only a list is a list: anything else is an unreadable answer, never "no projects".
        for (const char* body : {"{\"projects\": [", "<html><body>Wi-Fi login</body></html>", "[]",
                                 "{\"projects\":{}}", "{\"projects\":[{\"projectId\":\"a\"},3]}",
                                 "{\"projects\":[{\"projectId\":\"a\"},]}", "{\"projects\":[,{\"projectId\":\"a\"}]}",
                                 "{\"projects\":[{\"projectId\":\"a\"}{\"projectId\":\"b\"}]}",
                                 "{\"projects\":[{\"projectId\":\"a\"}]", "{\"projects\":[{\"projectId\":\"a\"}]} x"}) {
            const UserProjectsResponse projects = projectsFrom(body);
            QVERIFY2(projects.projects().isEmpty(), body);
            QCOMPARE(projects.error(), ErrorInvalidReply);
            QVERIFY(!projects.isRequestSuccessful());
        }
        // The service leaves the list out when there is nothing in it.
        for (const char* body : {"{\"projects\":[]}", "{}"}) {
            const UserProjectsResponse none = projectsFrom(body);
            QCOMPARE(none.error(), ErrorNone);
            QVERIFY(none.isRequestSuccessful());
        }
        // A refused request keeps its own error, whatever page came with it.
        const UserProjectsResponse refused = projectsFrom("<html>401</html>", QNetworkReply::AuthenticationRequiredError);
        QCOMPARE(refused.error(), ErrorFalseCredentials);
        PreSignedBatchUploadResponse urls;
        urls.fromJson(QStringLiteral("[1,2]"));
        QVERIFY(urls.urls().isEmpty());
        UploadFileMultiPartUrlsResponse parts;
        parts.fromJson(QStringLiteral("{}"));
        QVERIFY(parts.urls().isEmpty());
        UploadProjectsStatusResponse statuses;
        statuses.fromJson(QStringLiteral("nonsense"));
        QVERIFY(statuses.statuses().isEmpty());
        // Unlike an empty list, which means nothing is pending.
        QCOMPARE(statuses.error(), ErrorInvalidReply);
    }

    void projectDetailsAndStatuses()
    {
        ProjectReadyToDownloadResponse one;
        one.fromJson(QString::fromUtf8("{\"projectId\":\"p\",\"projectName\":\"n\",\"projectType\":1}"));
        QVERIFY(one.isCulvertixProject());
        ProjectReadyToDownloadResponse two;
        two.fromJson(QString::fromUtf8("{\"projectId\":\"p\",\"projectType\":2}"));
        QVERIFY(!two.isCulvertixProject());
        UploadProjectsStatusResponse statuses;
        statuses.fromJson(QString::fromUtf8("[{\"projectId\":\"a\",\"status\":3},{\"projectId\":\"b\"}]"));
        QCOMPARE(statuses.statuses().size(), 2);
        QCOMPARE(statuses.statuses().at(0).status, 3);
        QCOMPARE(statuses.statuses().at(1).status, 0);
        PreSignedBatchUploadResponse urls;
        urls.fromJson(QString::fromUtf8("{\"k1\":\"http://127.0.0.1/a\",\"k2\":\"http://127.0.0.1/b\"}"));
        QCOMPARE(urls.urls().size(), 2);
    }

    void plainTextReplies()
    {
        for (const QString& yes : {QStringLiteral("true"), QStringLiteral("True"), QStringLiteral("TRUE")}) {
            Check2StepAuthenticationResponse response;
            response.fromJson(yes);
            QVERIFY(response.result());
        }
        for (const QString& no : {QStringLiteral("false"), QStringLiteral("yes"), QStringLiteral("\"true\""), QString()}) {
            Check2StepAuthenticationResponse response;
            response.fromJson(no);
            QVERIFY(!response.result());
        }
        UploadFileMultiPartInitResponse init;
        init.fromJson(QStringLiteral("\"upload-17\""));
        QCOMPARE(init.uploadId(), QStringLiteral("upload-17"));
        UploadFileMultiPartInitResponse bare;
        bare.fromJson(QStringLiteral("upload-18"));
        QCOMPARE(bare.uploadId(), QStringLiteral("upload-18"));
        UploadFileMultiPartInitResponse empty;
        empty.fromJson(QString());
        QVERIFY(empty.uploadId().isEmpty());
    }

    void xmlReplies()
    {
        StatusResponse status;
        status.fromXml(QStringLiteral("<S xmlns=\"urn:x\"><CurrentDate>2026-12-06T07:51:37Z</CurrentDate></S>"));
        QCOMPARE(status.currentDate(), QDateTime(QDate(2026, 12, 6), QTime(7, 51, 37), Qt::UTC));
        StatusResponse missing;
        missing.fromXml(QStringLiteral("<S/>"));
        QVERIFY(!missing.currentDate().isValid());

        ClientCredentialsResponse credentials;
        credentials.fromXml(QStringLiteral("<a:R xmlns:a=\"urn:a\"><a:Url>http://127.0.0.1/s/</a:Url><a:ClientId>c</a:ClientId>"
                                           "<a:SecretKey>k</a:SecretKey><a:CurrentDate>d</a:CurrentDate></a:R>"));
        QCOMPARE(credentials.url(), QStringLiteral("http://127.0.0.1/s/"));
        QCOMPARE(credentials.clientId(), QStringLiteral("c"));
        QCOMPARE(credentials.secretKey(), QStringLiteral("k"));

        BucketGetResponse bucket;
        bucket.fromXml(QStringLiteral("<B><Name>x</Name></B>"));
        QVERIFY(bucket.exists());
        QCOMPARE(bucket.name(), QStringLiteral("x"));
        BucketGetResponse noBucket;
        noBucket.fromXml(QStringLiteral("<B></B>"));
        QVERIFY(!noBucket.exists());

        ListOfFilesFromLocationResponse listing;
        listing.fromXml(QStringLiteral("<L><Count>2</Count><ObjectModel><Key>a/</Key><Type>Directory</Type></ObjectModel>"
                                       "<ObjectModel><Key>a/b</Key><Size>5368709120</Size></ObjectModel></L>"));
        QCOMPARE(listing.count(), 2);
        QCOMPARE(listing.files().size(), 2);
        QCOMPARE(listing.files().at(0).type, 0);
        QCOMPARE(listing.files().at(1).type, 2);
        QCOMPARE(listing.files().at(1).size, Q_INT64_C(5368709120));

        const SingleProjectFileDownloadResponse links = linksFrom(QStringLiteral("<m><media-item><url>u1</url><type>Photos</type><name>a.jpg</name></media-item>"
                                     "<media-item><url>u2</url><name>b.jpg</name></media-item></m>"));
        QCOMPARE(links.links().size(), 2);
        QCOMPARE(links.links().at(1).type, QStringLiteral("Photos"));
        QCOMPARE(links.links().at(1).url, QStringLiteral("u2"));
        // A missing name or address stays missing instead of repeating the item before.
        const SingleProjectFileDownloadResponse gaps = linksFrom(QStringLiteral("<m><media-item><url>u1</url><type>Photos</type><name>a.jpg</name></media-item>"
                                    "<media-item><url>u2</url><type>Photos</type></media-item>"
                                    "<media-item><name>c.jpg</name></media-item></m>"));
        QCOMPARE(gaps.links().size(), 3);
        QCOMPARE(gaps.links().at(1).name, QString());
        QCOMPARE(gaps.links().at(1).url, QStringLiteral("u2"));
        QCOMPARE(gaps.links().at(2).url, QString());
        QCOMPARE(gaps.links().at(2).name, QStringLiteral("c.jpg"));
    }

    void onlyXmlReadToItsEndIsAReply()
    {
        // A cut list, garbage, JSON, an empty body, a web page or trailing content: what was
        // read is kept, but the reply is invalid, never a shorter or empty list.
        const QString list = QStringLiteral("<m><media-item><url>u1</url><name>a.jpg</name></media-item>"
                                            "<media-item><url>u2</url><name>b.jpg</name></media-item></m>");
        const QStringList unreadable{list.left(list.size() - 25), QStringLiteral("garbage"), QStringLiteral("{\"media\":[]}"),
                                     QString(), QStringLiteral("<HTML><body><p>Sign in</p></body></HTML>"),
                                     list + QStringLiteral("<m/>"),
                                     // one value longer than any reply holds
                                     QStringLiteral("<m><media-item><url>%1</url><name>a.jpg</name></media-item></m>")
                                         .arg(QString(ResponseReading::XmlReader::MaxElementChars + 1, QLatin1Char('u')))};
        for (const QString& body : unreadable) {
            const SingleProjectFileDownloadResponse links = linksFrom(body);
            QVERIFY2(!links.isRequestSuccessful(), qPrintable(body));
            QCOMPARE(links.error(), ErrorInvalidReply);
        }
        const SingleProjectFileDownloadResponse whole = linksFrom(list + QStringLiteral("\n  "));
        QVERIFY(whole.isRequestSuccessful());
        QCOMPARE(whole.links().size(), 2);
        BeginUploadProjectResponse begin;
        begin.fromXml(QStringLiteral("<R><BucketName>b1</BucketName><Oops>"));
        QCOMPARE(begin.bucketName(), QStringLiteral("b1"));
        QCOMPARE(begin.error(), ErrorInvalidReply);
        // A failed request keeps its own error.
        ClientCredentialsResponse failed;
        failed.setError(QNetworkReply::InternalServerError);
        failed.fromXml(QString());
        QCOMPARE(failed.error(), ErrorInternalServer);

        // A listing read as it arrives, in pieces split inside tags and characters, is the
        // listing read whole.
        const QByteArray listing = QStringLiteral("<L><ObjectModel><Key>Docs/Schächte ä.txt</Key><FileName>Schächte ä.txt</FileName>"
                                                  "<Size>7</Size><Type>File</Type></ObjectModel><Count>1</Count></L>")
                                       .toUtf8();
        BucketListingReader reader;
        for (char byte : listing)
            reader.addData(QByteArray(1, byte));
        ListOfFilesFromLocationResponse pieces;
        reader.finishInto(pieces);
        QVERIFY(pieces.isRequestSuccessful());
        QCOMPARE(pieces.count(), 1);
        QCOMPARE(pieces.files().size(), 1);
        QCOMPARE(pieces.files().at(0).fileName, QStringLiteral("Schächte ä.txt"));
        QCOMPARE(pieces.files().at(0).size, 7);
        BucketListingReader cut;
        cut.addData(listing.left(listing.size() - 4));
        ListOfFilesFromLocationResponse cutListing;
        cut.finishInto(cutListing);
        QCOMPARE(cutListing.error(), ErrorInvalidReply);
    }

    // Shapes no reply has, however well-formed: nesting deeper than any reply, a tag longer
    // than any reply's, a token (a comment, a section, a declaration, a value) that goes on past
    // any value, an entry without its key and more entries than a bucket holds. Each is refused
    // as it arrives, in pieces as small as the network gives them.
    void shapesNoReplyHasAreRefused()
    {
        using ResponseReading::XmlReader;
        const auto nested = [](int depth, const QString& inner) {
            return QString(QStringLiteral("<n>")).repeated(depth) + inner + QString(QStringLiteral("</n>")).repeated(depth);
        };
        const QString item = QStringLiteral("<media-item><url>u</url><name>a.jpg</name></media-item>");
        const SingleProjectFileDownloadResponse deepest = linksFrom(nested(XmlReader::MaxDepth - 2, item));
        QVERIFY(deepest.isRequestSuccessful());
        QCOMPARE(deepest.links().size(), 1);
        const SingleProjectFileDownloadResponse deeper = linksFrom(nested(XmlReader::MaxDepth - 1, item));
        QCOMPARE(deeper.error(), ErrorInvalidReply);
        BucketGetResponse longTag;
        longTag.fromXml(QStringLiteral("<B a=\"%1\"><Name>x</Name></B>").arg(QString(XmlReader::MaxTagChars, QLatin1Char('a'))));
        QCOMPARE(longTag.error(), ErrorInvalidReply);

        const QString entry = QStringLiteral("<ObjectModel><Key>k</Key></ObjectModel>");
        const auto readInPieces = [](const QString& text) {
            BucketListingReader reader;
            for (int at = 0; at < text.size(); at += 4096)
                reader.addData(text.mid(at, 4096).toUtf8());
            ListOfFilesFromLocationResponse listing;
            reader.finishInto(listing);
            return listing;
        };
        // The bound counts to the character: a token as long as the bound still waits for its
        // end, and the first character past it ends the reading there and then.
        XmlReader atTheBound({QStringLiteral("Key")}, [](const QStringRef&, const QString&) {});
        atTheBound.addText(QStringLiteral("<L><!--"));
        atTheBound.addText(QString(XmlReader::MaxTokenChars - 4, QLatin1Char('x')));
        QVERIFY(!atTheBound.refused());
        atTheBound.addText(QStringLiteral("x"));
        QVERIFY(atTheBound.refused());
        const QString filler(XmlReader::MaxTokenChars + 2, QLatin1Char('x'));
        const QStringList unending{QStringLiteral("<L><!--%1-->%2</L>"), QStringLiteral("<L><![CDATA[%1]]>%2</L>"),
                                   QStringLiteral("<L><?pi %1?>%2</L>"), QStringLiteral("<!DOCTYPE L [<!ENTITY e \"%1\">]><L>%2</L>"),
                                   QStringLiteral("<L>%2<Pad>%1</Pad></L>")};
        for (const QString& shape : unending) {
            const ListOfFilesFromLocationResponse listing = readInPieces(shape.arg(filler, entry));
            QVERIFY2(!listing.isRequestSuccessful(), qPrintable(shape));
            QCOMPARE(listing.error(), ErrorInvalidReply);
        }
        // A character split between two pieces is read as it is.
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
        for (int split = 1; split < 40; ++split) {
            BucketListingReader reader;
            const QString text = QStringLiteral("<L><ObjectModel><Key>ab%1cd</Key></ObjectModel></L>").arg(smile);
            reader.addText(text.left(split));
            reader.addText(text.mid(split, 7));
            reader.addText(text.mid(split + 7));
            ListOfFilesFromLocationResponse listing;
            reader.finishInto(listing);
            QCOMPARE(listing.files().value(0).key, QStringLiteral("ab%1cd").arg(smile));
        }

        const ListOfFilesFromLocationResponse keyless =
            readInPieces(QStringLiteral("<L>%1<ObjectModel/>%1</L>").arg(entry));
        QCOMPARE(keyless.error(), ErrorInvalidReply);
        const ListOfFilesFromLocationResponse tooMany =
            readInPieces(QStringLiteral("<L>%1</L>").arg(entry.repeated(BucketListingReader::MaxEntries + 1)));
        QCOMPARE(tooMany.error(), ErrorInvalidReply);
    }

    void eTagHeaders()
    {
        using Pairs = QList<QNetworkReply::RawHeaderPair>;
        QCOMPARE(UploadFileMultiPartRequestHandle::eTagFromHeaders(Pairs{{"ETag", "\"abc\""}}), QStringLiteral("abc"));
        QCOMPARE(UploadFileMultiPartRequestHandle::eTagFromHeaders(Pairs{{"etag", "\"abc\""}}), QStringLiteral("abc"));
        QCOMPARE(UploadFileMultiPartRequestHandle::eTagFromHeaders(Pairs{{"ETag", "abc"}}), QStringLiteral("abc"));
        QCOMPARE(UploadFileMultiPartRequestHandle::eTagFromHeaders(Pairs{{"ETag", "\"a\""}, {"ETAG", "\"b\""}}),
                 QStringLiteral("b"));
        QCOMPARE(UploadFileMultiPartRequestHandle::eTagFromHeaders(Pairs{{"Content-Type", "x"}}), QString());
        QCOMPARE(UploadFileMultiPartRequestHandle::eTagFromHeaders(Pairs{{"ETag", "\""}}), QStringLiteral("\""));
    }
};

QTEST_GUILESS_MAIN(tst_WebResponses)
#include "tst_WebResponses.moc"
