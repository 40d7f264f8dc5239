#include "videooverlay/CCharGridVideoOverlayLogic.h"

#include "IStorageProvider.h"
#include "rvq/CRVQMessage.h"
#include "rvq/IRVQMessageSender.h"
#include "rvq/RVQMessages.h"
#include "videooverlay/CVideoOverlayCapsStorage.h"
#include "videooverlay/CVideoOverlayDataStorage.h"
#include "videooverlay/CVideoOverlayText.h"

#include <QColor>

namespace Ulx {
namespace VideoOverlay {

namespace {

// Behind the operator's setters (priority 1): a refresh of the rows must not hold a zoom or
// light command. The link sends an overlay message that has waited long enough with the
// setters, so the rows are never starved.
constexpr quint32 kOverlayMessagePriority = 2;

} // namespace

CCharGridVideoOverlayLogic::CCharGridVideoOverlayLogic(Ulx::IRVQMessageSender* sender,
                                                       Ulx::IStorageProvider* storageProvider)
    : m_sender(sender)
    , m_storageProvider(storageProvider)
{
}

CCharGridVideoOverlayLogic::~CCharGridVideoOverlayLogic()
{
    forgetEverything();
}

void CCharGridVideoOverlayLogic::initialize()
{
    if (!senderReady())
        return;
    clearVideoOverlay();
    setupCaps();
    setVideoOverlayEnabled(true);
}

void CCharGridVideoOverlayLogic::shutdown()
{
    forgetEverything();
}

void CCharGridVideoOverlayLogic::beginUpdate()
{
}

void CCharGridVideoOverlayLogic::endUpdate()
{
}

void CCharGridVideoOverlayLogic::drawImage(const CVideoOverlayImage& image)
{
    Q_UNUSED(image) // the camera module draws no graphics
}

void CCharGridVideoOverlayLogic::drawText(const CVideoOverlayText& text)
{
    if (!senderReady())
        return;
    const CVideoOverlayText* key = &text;
    // An empty text has nothing to place: it empties its row wherever its column points (a
    // right-aligned empty text points one past the grid's last column).
    if (!text.visible() || text.text().isEmpty()) {
        removeItem(key);
        return;
    }
    std::shared_ptr<CVideoOverlayText> shown = m_shownTexts.value(key);
    if (shown) {
        if (shown->text() == text.text() && shown->column() == text.column() && shown->row() == text.row()
            && shown->textColor() == text.textColor())
            return;
        if (shown->row() != text.row()) {
            removeItem(key);
            shown.reset();
        }
    }
    const CVideoOverlayCapsStorage* caps = capsStorage();
    const int rowCount = caps ? caps->maximumRowCount() : 0;
    const int columnCount = caps ? caps->maximumColumnCount() : 0;
    // The message carries single bytes: a row or column outside the grid would land elsewhere.
    if (text.row() < 0 || text.row() >= rowCount || text.column() < 0 || text.column() >= columnCount)
        return;
    m_shownTexts.insert(key, std::make_shared<CVideoOverlayText>(text));
    const quint8 row = quint8(text.row() & 0xFF);
    // Each message only when what it sets changed: a new text, or a new place or colour.
    if (!shown || shown->text() != text.text())
        send(createRVQOverlayTextMessage(row, text.text()));
    const RowPlacement placement{text.column(), textColorCode(text.textColor())};
    const auto placed = m_rowPlacements.constFind(text.row());
    if (placed == m_rowPlacements.cend() || !(*placed == placement)) {
        m_rowPlacements.insert(text.row(), placement);
        send(createRVQOverlayTextColorsMessage(row, quint8(text.column()), placement.colorCode, 0));
    }
}

void CCharGridVideoOverlayLogic::setVideoOverlayEnabled(bool enabled)
{
    if (!senderReady())
        return;
    send(enabled ? createRVQOverlayOnMessage() : createRVQOverlayOffMessage());
    if (CVideoOverlayDataStorage* data = dataStorage())
        data->setVideoOverlayEnabled(enabled);
}

void CCharGridVideoOverlayLogic::clearVideoOverlay()
{
    if (!senderReady())
        return;
    send(createRVQOverlayClearMessage());
    // The camera's rows are empty now: every item must be written again at its next draw, even
    // one that did not change (a reconnect clears the rows and redraws unchanged headlines).
    m_shownTexts.clear();
    m_rowPlacements.clear();
    if (CVideoOverlayDataStorage* data = dataStorage())
        data->setVideoOverlayEnabled(false);
}

void CCharGridVideoOverlayLogic::setScript(Ulx::VideoOverlayTypes::Script script)
{
    Q_UNUSED(script) // the camera has one character set
}

quint8 CCharGridVideoOverlayLogic::textColorCode(const QColor& color)
{
    if (color == QColor(Qt::yellow))
        return 1;
    if (color == QColor(163, 73, 164))
        return 2;
    if (color == QColor(Qt::red))
        return 3;
    if (color == QColor(Qt::cyan))
        return 4;
    if (color == QColor(Qt::green))
        return 5;
    if (color == QColor(Qt::darkBlue))
        return 6;
    return 0;
}

CVideoOverlayCapsStorage* CCharGridVideoOverlayLogic::capsStorage() const
{
    return m_storageProvider ? m_storageProvider->videoOverlayCapsStorage() : nullptr;
}

CVideoOverlayDataStorage* CCharGridVideoOverlayLogic::dataStorage() const
{
    return m_storageProvider ? m_storageProvider->videoOverlayDataStorage() : nullptr;
}

bool CCharGridVideoOverlayLogic::senderReady() const
{
    return m_sender && m_sender->isReadyToSend();
}

void CCharGridVideoOverlayLogic::send(Ulx::CRVQMessage* message)
{
    message->setPriority(kOverlayMessagePriority);
    m_sender->sendMessage(message);
}

void CCharGridVideoOverlayLogic::removeItem(const CVideoOverlayText* key)
{
    const auto found = m_shownTexts.find(key);
    if (found == m_shownTexts.end())
        return;
    const int row = found.value()->row();
    m_shownTexts.erase(found);

    // The camera writes whole rows: what stays in the row is another item of it, or nothing.
    QString rowText;
    bool otherItem = false;
    for (auto it = m_shownTexts.cbegin(); it != m_shownTexts.cend(); ++it) {
        if (it.value()->row() == row) {
            rowText = it.value()->text();
            otherItem = true;
            break;
        }
    }
    if (!otherItem) {
        const CVideoOverlayCapsStorage* caps = capsStorage();
        rowText = QString(caps ? caps->maximumTextLength() : 0, QLatin1Char(' '));
    }
    send(createRVQOverlayTextMessage(quint8(row & 0xFF), rowText));
}

void CCharGridVideoOverlayLogic::forgetEverything()
{
    m_shownTexts.clear();
    m_rowPlacements.clear();
    if (CVideoOverlayCapsStorage* caps = capsStorage())
        caps->reset();
    if (CVideoOverlayDataStorage* data = dataStorage())
        data->reset();
}

} // namespace VideoOverlay
} // namespace Ulx
