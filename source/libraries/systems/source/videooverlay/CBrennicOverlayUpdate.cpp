#include "videooverlay/CBrennicOverlayUpdate.h"

#include "communication/PeerAnswers.h"
#include "flavors/SystemAddresses.h"
#include "multimedia/CEncoderBoardStreamConfigLogic.h"
#include "multimedia/EncoderBoardUrls.h"
#include "videooverlay/CBrennicOverlayLayout.h"
#include "videooverlay/COverlayChange.h"
#include "videooverlay/IOverlayObjectStore.h"

#include "CLogger.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

namespace Ulx {
namespace VideoOverlay {

namespace {

using Tovrin::Logging::CLogger;

const QString kCategory = QStringLiteral("UlxSystemsLibrary");
const QString kOverlayUrl = QStringLiteral("http://%1:5002/api/1/videooverlay");

void logInfo(const QString& message, const QList<QVariant>& arguments)
{
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory, message, arguments);
}

// Pixel positions are 16-bit on the board: a position outside that range is pinned to it
// rather than wrapped to the far side of the picture.
int coordinate(int value)
{
    return std::clamp(value, 0, 0xFFFF);
}

QString argbName(const QColor& color)
{
    return color.name(QColor::HexArgb);
}

QJsonObject command(const QString& name, const QJsonObject& parameters)
{
    return QJsonObject{{QStringLiteral("command"), name}, {QStringLiteral("params"), parameters}};
}

} // namespace

CBrennicOverlayUpdate::CBrennicOverlayUpdate(IOverlayObjectStore* store, const CBrennicOverlayLayout* layout,
                                             QNetworkAccessManager* manager)
    : QObject(nullptr)
    , m_store(store)
    , m_layout(layout)
    , m_manager(manager)
{
}

CBrennicOverlayUpdate::~CBrennicOverlayUpdate()
{
    qDeleteAll(m_changes);
    if (m_reply) {
        // A dropped update must neither answer nor write into the store any more.
        disconnect(m_reply, nullptr, this, nullptr);
        Tovrin::Shared::TransferWatchdog::drop(m_reply);
    }
}

void CBrennicOverlayUpdate::addTextChange(const void* key, const CVideoOverlayText& text)
{
    for (COverlayChange* change : qAsConst(m_changes)) {
        if (change->type() == COverlayChange::TypeText && static_cast<COverlayTextChange*>(change)->key == key) {
            static_cast<COverlayTextChange*>(change)->text = text;
            return;
        }
    }
    m_changes.append(new COverlayTextChange(key, text));
}

void CBrennicOverlayUpdate::addImageChange(const void* key, const CVideoOverlayImage& image)
{
    for (COverlayChange* change : qAsConst(m_changes)) {
        if (change->type() == COverlayChange::TypeImage && static_cast<COverlayImageChange*>(change)->key == key) {
            static_cast<COverlayImageChange*>(change)->image = image;
            return;
        }
    }
    m_changes.append(new COverlayImageChange(key, image));
}

void CBrennicOverlayUpdate::addStateChange(bool enabled)
{
    m_changes.append(new COverlayStateChange(enabled));
}

void CBrennicOverlayUpdate::addClearChange()
{
    m_changes.append(new COverlayClearChange());
}

void CBrennicOverlayUpdate::absorb(CBrennicOverlayUpdate& newer)
{
    const auto sameItem = [](const COverlayChange* older, const COverlayChange* change) {
        if (older->type() != change->type())
            return false;
        switch (change->type()) {
        case COverlayChange::TypeText:
            return static_cast<const COverlayTextChange*>(older)->key
                   == static_cast<const COverlayTextChange*>(change)->key;
        case COverlayChange::TypeImage:
            return static_cast<const COverlayImageChange*>(older)->key
                   == static_cast<const COverlayImageChange*>(change)->key;
        case COverlayChange::TypeState:
        case COverlayChange::TypeClear:
            return true;
        }
        return false;
    };
    for (COverlayChange* change : qAsConst(newer.m_changes)) {
        const bool clear = change->type() == COverlayChange::TypeClear;
        for (int i = m_changes.size() - 1; i >= 0; --i) {
            COverlayChange* older = m_changes.at(i);
            if (sameItem(older, change) || (clear && older->type() == COverlayChange::TypeText)) {
                delete older;
                m_changes.removeAt(i);
            }
        }
        m_changes.append(change);
    }
    newer.m_changes.clear();
}

QImage CBrennicOverlayUpdate::prepareImage(const QImage& image)
{
    if (image.isNull())
        return image;
    const int width = image.width();
    const int height = image.height();
    if (width % 4 == 0 && height % 4 == 0)
        return image.convertToFormat(QImage::Format_ARGB32);
    const int paddedWidth = (width + 3) / 4 * 4;
    const int paddedHeight = (height + 3) / 4 * 4;
    QImage padded(paddedWidth, paddedHeight, QImage::Format_ARGB32);
    padded.fill(Qt::white);
    QPainter painter(&padded);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, image);
    const QImage lastColumn = image.copy(width - 1, 0, 1, height);
    for (int x = width; x < paddedWidth; ++x)
        painter.drawImage(x, 0, lastColumn);
    painter.end();
    QPainter rows(&padded);
    rows.setCompositionMode(QPainter::CompositionMode_Source);
    const QImage lastRow = padded.copy(0, height - 1, paddedWidth, 1);
    for (int y = height; y < paddedHeight; ++y)
        rows.drawImage(0, y, lastRow);
    rows.end();
    return padded;
}

QJsonObject CBrennicOverlayUpdate::textParameters(const CVideoOverlayText& text,
                                                  const CVideoOverlayText* previous) const
{
    const BrennicOverlayLayoutRecord& layout = m_layout->record();
    QJsonObject parameters;
    if (!previous || previous->column() != text.column())
        parameters.insert(QStringLiteral("x"), coordinate(text.column() * layout.cellWidth + layout.marginX));
    if (!previous || previous->row() != text.row())
        parameters.insert(QStringLiteral("y"), coordinate(text.row() * layout.cellHeight + layout.marginY));
    if (!previous || previous->backgroundColor() != text.backgroundColor())
        parameters.insert(QStringLiteral("background_color"), argbName(text.backgroundColor()));
    if (!previous || previous->textColor() != text.textColor())
        parameters.insert(QStringLiteral("text_color"), argbName(text.textColor()));
    if (!previous || previous->visible() != text.visible())
        parameters.insert(QStringLiteral("visible"), text.visible());
    if (!previous || previous->text() != text.text())
        parameters.insert(QStringLiteral("text"), text.text());
    if (!previous) {
        parameters.insert(QStringLiteral("z"), 1);
        parameters.insert(QStringLiteral("font"), m_layout->fontFamily());
        parameters.insert(QStringLiteral("font_size"), layout.fontSize);
    }
    return parameters;
}

QJsonObject CBrennicOverlayUpdate::imageParameters(const CVideoOverlayImage& image,
                                                   const CVideoOverlayImage* previous) const
{
    const BrennicOverlayLayoutRecord& layout = m_layout->record();
    // Placed and sent as the board takes it; compared as the caller gave it, so that an
    // unchanged picture is never taken for a new one.
    const QImage data = prepareImage(image.data());
    QJsonObject parameters;
    const bool dataChanged = !previous || previous->data() != image.data();
    if (!previous || previous->alignment() != image.alignment() || dataChanged) {
        int x = 0;
        int y = 0;
        if (layout.width != 0) {
            switch (image.alignment()) {
            case VideoOverlayTypes::ImageAlignmentTopLeft:
            case VideoOverlayTypes::ImageAlignmentBottomLeft:
                x = layout.marginX;
                break;
            case VideoOverlayTypes::ImageAlignmentTopRight:
            case VideoOverlayTypes::ImageAlignmentBottomRight:
                x = std::max(0, layout.width - layout.marginX - data.width());
                break;
            default:
                break;
            }
            switch (image.alignment()) {
            case VideoOverlayTypes::ImageAlignmentTopLeft:
            case VideoOverlayTypes::ImageAlignmentTopRight:
                y = layout.marginY;
                break;
            case VideoOverlayTypes::ImageAlignmentBottomLeft:
            case VideoOverlayTypes::ImageAlignmentBottomRight:
                y = std::max(0, layout.height - layout.marginY - data.height());
                break;
            default:
                break;
            }
        }
        parameters.insert(QStringLiteral("x"), coordinate(x));
        parameters.insert(QStringLiteral("y"), coordinate(y));
    }
    if (!previous || previous->visible() != image.visible())
        parameters.insert(QStringLiteral("visible"), image.visible());
    if (dataChanged) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        data.save(&buffer, "PNG");
        parameters.insert(QStringLiteral("data"), QString::fromLatin1(png.toBase64()));
    }
    if (!previous) {
        parameters.insert(QStringLiteral("z"), 0);
        parameters.insert(QStringLiteral("fill_color"), QStringLiteral("#FFFFFFFF"));
    }
    return parameters;
}

void CBrennicOverlayUpdate::send()
{
    m_commands = QJsonArray();
    for (COverlayChange* change : qAsConst(m_changes)) {
        switch (change->type()) {
        case COverlayChange::TypeImage: {
            auto* imageChange = static_cast<COverlayImageChange*>(change);
            // Create or update is decided from what the board has confirmed by now, so that a
            // create answered since the change was drawn is not sent a second time.
            const quint64 handle = m_store->imageHandle(imageChange->key);
            const std::shared_ptr<const CVideoOverlayImage> previous = m_store->confirmedImage(imageChange->key);
            if (handle == 0 || !previous) {
                m_createsSent = true;
                m_commands.append(command(QStringLiteral("create_image"), imageParameters(imageChange->image, nullptr)));
            } else {
                QJsonObject parameters = imageParameters(imageChange->image, previous.get());
                parameters.insert(QStringLiteral("handle"), double(handle));
                m_commands.append(command(QStringLiteral("update_image"), parameters));
            }
            break;
        }
        case COverlayChange::TypeText: {
            auto* textChange = static_cast<COverlayTextChange*>(change);
            const quint64 handle = m_store->textHandle(textChange->key);
            const std::shared_ptr<const CVideoOverlayText> previous = m_store->confirmedText(textChange->key);
            if (handle == 0 || !previous) {
                m_createsSent = true;
                m_commands.append(command(QStringLiteral("create_text"), textParameters(textChange->text, nullptr)));
            } else {
                QJsonObject parameters = textParameters(textChange->text, previous.get());
                parameters.insert(QStringLiteral("handle"), double(handle));
                m_commands.append(command(QStringLiteral("update_text"), parameters));
            }
            break;
        }
        case COverlayChange::TypeState:
            m_commands.append(command(QStringLiteral("set_overlay_state"),
                                      QJsonObject{{QStringLiteral("enabled"),
                                                   static_cast<COverlayStateChange*>(change)->enabled}}));
            break;
        case COverlayChange::TypeClear:
            m_commands.append(command(QStringLiteral("clear"), QJsonObject()));
            break;
        }
    }

    QNetworkRequest request(Multimedia::encoderBoardUrl(Flavors::SystemHost::BrennicEncoderBoard, kOverlayUrl));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    Communication::askForStoredAnswer(&request);
    const QByteArray body =
        QJsonDocument(QJsonObject{{QStringLiteral("commands"), m_commands}}).toJson(QJsonDocument::Compact);
    m_reply = m_manager->post(request, body);
    connect(m_reply, &QNetworkReply::finished, this, &CBrennicOverlayUpdate::onReplyFinished);
    // The same board as the stream configuration's, answering with as little.
    Communication::boundPeerAnswer(m_reply, Multimedia::CEncoderBoardStreamConfigLogic::MaximumAnswerBytes);
    m_transferTimer.start(m_transferTimeout, this);
}

void CBrennicOverlayUpdate::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_transferTimer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_transferTimer.stop();
    logInfo(QStringLiteral("Brennic overlay request timed out."), {QStringLiteral("timerEvent")});
    // Ends like a network error: the reply finishes with OperationCanceledError.
    if (m_reply)
        m_reply->abort();
}

void CBrennicOverlayUpdate::onReplyFinished()
{
    m_transferTimer.stop();
    QNetworkReply* reply = m_reply;
    if (!reply || m_finished)
        return;
    m_finished = true;
    if (reply->error() != QNetworkReply::NoError) {
        const QMetaEnum errors = QMetaEnum::fromType<QNetworkReply::NetworkError>();
        logInfo(QStringLiteral("Brennic API returned a network error."),
                {QString::fromLatin1(errors.valueToKey(reply->error())), QStringLiteral("onReplyFinished")});
        m_boardStateUnknown = m_createsSent;
    } else if (!processReplyData(reply->readAll())) {
        m_boardStateUnknown = m_createsSent;
    }
    emit finished();
}

bool CBrennicOverlayUpdate::processReplyData(const QByteArray& data)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        logInfo(QStringLiteral("Failed to parse JSON data: ") + parseError.errorString(),
                {QStringLiteral("processReplyData")});
        return false;
    }
    const QJsonValue resultsValue = document.object().value(QStringLiteral("results"));
    const QJsonArray results = resultsValue.toArray();
    if (!resultsValue.isArray() || results.size() != m_changes.size()) {
        logInfo(QStringLiteral("Overlay command result count does not match."), {QStringLiteral("processReplyData")});
        return false;
    }
    for (int i = 0; i < results.size(); ++i) {
        const QJsonObject result = results.at(i).toObject();
        const QJsonValue code = result.value(QStringLiteral("result"));
        if (!code.isDouble() || code.toInt(-1) != 0) {
            logInfo(QStringLiteral("Overlay command failed."), {i, QStringLiteral("processReplyData")});
            continue;
        }
        const quint64 handle = quint64(std::max(0.0, result.value(QStringLiteral("handle")).toDouble()));
        COverlayChange* change = m_changes.at(i);
        switch (change->type()) {
        case COverlayChange::TypeImage: {
            auto* imageChange = static_cast<COverlayImageChange*>(change);
            if (handle != 0)
                m_store->storeImage(imageChange->key, handle, imageChange->image);
            else if (m_store->imageHandle(imageChange->key) != 0)
                m_store->updateImage(imageChange->key, imageChange->image);
            break;
        }
        case COverlayChange::TypeText: {
            auto* textChange = static_cast<COverlayTextChange*>(change);
            if (handle != 0)
                m_store->storeText(textChange->key, handle, textChange->text);
            else if (m_store->textHandle(textChange->key) != 0)
                m_store->updateText(textChange->key, textChange->text);
            break;
        }
        case COverlayChange::TypeClear:
            m_store->clear();
            break;
        case COverlayChange::TypeState:
            break;
        }
    }
    return true;
}

} // namespace VideoOverlay
} // namespace Ulx
