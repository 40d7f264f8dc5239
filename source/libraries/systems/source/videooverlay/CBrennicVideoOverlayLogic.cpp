#include "videooverlay/CBrennicVideoOverlayLogic.h"

#include "IStorageProvider.h"
#include "multimedia/CBrennicVideoStreamConfigLogic.h"
#include "multimedia/CVideoStreamConfig.h"
#include "videooverlay/CBrennicOverlayUpdate.h"
#include "videooverlay/CVideoOverlayCapsStorage.h"
#include "videooverlay/CVideoOverlayDataStorage.h"
#include "PeerNetworkAccess.h"

#include <QNetworkAccessManager>

namespace Ulx {
namespace VideoOverlay {

namespace {

bool sameText(const CVideoOverlayText& a, const CVideoOverlayText& b)
{
    return a.text() == b.text() && a.column() == b.column() && a.row() == b.row() && a.textColor() == b.textColor()
           && a.backgroundColor() == b.backgroundColor() && a.visible() == b.visible();
}

bool sameImage(const CVideoOverlayImage& a, const CVideoOverlayImage& b)
{
    return a.visible() == b.visible() && a.alignment() == b.alignment() && a.data() == b.data();
}

} // namespace

CBrennicVideoOverlayLogic::CBrennicVideoOverlayLogic(Multimedia::CBrennicVideoStreamConfigLogic* streamConfigLogic,
                                                     IStorageProvider* storageProvider)
    : m_streamConfigLogic(streamConfigLogic)
    , m_storageProvider(storageProvider)
    , m_network(new Tovrin::Shared::PeerNetworkAccess(this))
    , m_transferTimeout(CBrennicOverlayUpdate::DefaultTransferTimeout)
{
    if (m_streamConfigLogic) {
        connect(m_streamConfigLogic, &Multimedia::CAbstractVideoStreamConfigLogic::activeConfigChanged, this,
                &CBrennicVideoOverlayLogic::onStreamConfigChanged, Qt::QueuedConnection);
        connect(m_streamConfigLogic, &Multimedia::CAbstractVideoStreamConfigLogic::configChangeInProgressChanged,
                this, &CBrennicVideoOverlayLogic::onStreamConfigChangeInProgressChanged, Qt::QueuedConnection);
    }
}

CBrennicVideoOverlayLogic::~CBrennicVideoOverlayLogic()
{
    shutdown();
}

void CBrennicVideoOverlayLogic::initialize()
{
    m_active = true;
    drop(m_waitingUpdate);
    m_waitingUpdate = nullptr;
    m_texts.clear();
    clearVideoOverlay();
    publishCaps();
    setVideoOverlayEnabled(true);
}

void CBrennicVideoOverlayLogic::shutdown()
{
    m_active = false;
    drop(m_runningUpdate);
    m_runningUpdate = nullptr;
    drop(m_collectingUpdate);
    m_collectingUpdate = nullptr;
    drop(m_waitingUpdate);
    m_waitingUpdate = nullptr;
    m_texts.clear();
    m_images.clear();
    m_inBatch = false;
    if (m_storageProvider && m_storageProvider->videoOverlayCapsStorage())
        m_storageProvider->videoOverlayCapsStorage()->reset();
}

void CBrennicVideoOverlayLogic::beginUpdate()
{
    m_inBatch = true;
}

void CBrennicVideoOverlayLogic::endUpdate()
{
    collectingUpdate();
    if (!m_collectingUpdate->isEmpty())
        submit();
    m_inBatch = false;
}

bool CBrennicVideoOverlayLogic::fitsGrid(const CVideoOverlayText& text) const
{
    const BrennicOverlayLayoutRecord& record = m_layout.record();
    return text.row() >= 0 && text.row() < record.rows && text.column() >= 0 && text.column() < record.columns;
}

void CBrennicVideoOverlayLogic::drawText(const CVideoOverlayText& text)
{
    const void* key = &text;
    const auto found = m_texts.constFind(key);
    const std::shared_ptr<const CVideoOverlayText> confirmed = found != m_texts.cend() ? found->text : nullptr;
    CVideoOverlayText wanted = text;
    if (wanted.visible() && !fitsGrid(wanted)) {
        // Outside the grid nothing is drawn: an object the board has is hidden where it is.
        if (!confirmed)
            return;
        wanted = *confirmed;
        wanted.setVisible(false);
    }
    if (confirmed && sameText(*confirmed, wanted))
        return;
    collectingUpdate()->addTextChange(key, wanted);
    if (!m_inBatch)
        submit();
}

void CBrennicVideoOverlayLogic::drawImage(const CVideoOverlayImage& image)
{
    const void* key = &image;
    const auto found = m_images.constFind(key);
    if (found != m_images.cend() && found->image && sameImage(*found->image, image))
        return;
    collectingUpdate()->addImageChange(key, image);
    if (!m_inBatch)
        submit();
}

void CBrennicVideoOverlayLogic::setVideoOverlayEnabled(bool enabled)
{
    collectingUpdate()->addStateChange(enabled);
    if (!m_inBatch)
        submit();
    if (m_storageProvider && m_storageProvider->videoOverlayDataStorage())
        m_storageProvider->videoOverlayDataStorage()->setVideoOverlayEnabled(enabled);
}

void CBrennicVideoOverlayLogic::clearVideoOverlay()
{
    collectingUpdate()->addClearChange();
    if (!m_inBatch)
        submit();
}

void CBrennicVideoOverlayLogic::setScript(VideoOverlayTypes::Script script)
{
    m_layout.setScript(script);
    if (CVideoOverlayCapsStorage* caps = m_storageProvider ? m_storageProvider->videoOverlayCapsStorage() : nullptr) {
        caps->setMaximumColumnCount(m_layout.record().columns);
        caps->setMaximumRowCount(m_layout.record().rows);
        caps->setMaximumTextLength(m_layout.record().textLength);
    }
}

CBrennicOverlayUpdate* CBrennicVideoOverlayLogic::collectingUpdate()
{
    if (!m_collectingUpdate) {
        m_collectingUpdate = new CBrennicOverlayUpdate(this, &m_layout, m_network);
        m_collectingUpdate->setTransferTimeout(m_transferTimeout);
    }
    return m_collectingUpdate;
}

void CBrennicVideoOverlayLogic::submit()
{
    CBrennicOverlayUpdate* update = m_collectingUpdate;
    m_collectingUpdate = nullptr;
    if (!update)
        return;
    if (!m_runningUpdate) {
        start(update);
    } else if (!m_waitingUpdate) {
        m_waitingUpdate = update;
    } else {
        // Neither was sent: no reply or signal of the newer one can be pending.
        m_waitingUpdate->absorb(*update);
        delete update;
    }
}

void CBrennicVideoOverlayLogic::start(CBrennicOverlayUpdate* update)
{
    m_runningUpdate = update;
    connect(update, &CBrennicOverlayUpdate::finished, this, &CBrennicVideoOverlayLogic::onUpdateFinished,
            Qt::QueuedConnection);
    update->send();
}

void CBrennicVideoOverlayLogic::drop(CBrennicOverlayUpdate* update)
{
    if (!update)
        return;
    disconnect(update, nullptr, this, nullptr);
    // Later, not now: a finished signal of it may already be queued, and its address must not
    // be taken by a successor before that signal is seen and ignored.
    update->deleteLater();
}

void CBrennicVideoOverlayLogic::onUpdateFinished()
{
    // Only the update that runs may end the run: one dropped by shutdown or initialize must
    // never end its successor.
    auto* finished = qobject_cast<CBrennicOverlayUpdate*>(sender());
    if (!finished || finished != m_runningUpdate)
        return;
    m_runningUpdate = nullptr;
    const bool boardStateUnknown = finished->boardStateUnknown();
    finished->deleteLater();
    if (boardStateUnknown && m_active) {
        // The board may have made objects it never confirmed: clear its texts before anything
        // else, so that the texts are made again and none is left behind unseen.
        m_texts.clear();
        auto* clearing = new CBrennicOverlayUpdate(this, &m_layout, m_network);
        clearing->setTransferTimeout(m_transferTimeout);
        clearing->addClearChange();
        if (m_waitingUpdate) {
            clearing->absorb(*m_waitingUpdate);
            delete m_waitingUpdate;
        }
        m_waitingUpdate = clearing;
    }
    if (m_waitingUpdate) {
        CBrennicOverlayUpdate* next = m_waitingUpdate;
        m_waitingUpdate = nullptr;
        start(next);
    }
}

void CBrennicVideoOverlayLogic::onStreamConfigChanged()
{
    if (m_active)
        publishCaps();
}

void CBrennicVideoOverlayLogic::onStreamConfigChangeInProgressChanged()
{
    if (!m_active || !m_streamConfigLogic)
        return;
    if (m_streamConfigLogic->configChangeInProgress()) {
        // Unsupported while the stream is reconfigured.
        publishCaps();
        return;
    }
    initialize();
}

void CBrennicVideoOverlayLogic::publishCaps()
{
    const MultimediaTypes::VideoResolution resolution =
        m_streamConfigLogic ? Multimedia::videoResolutionOf(m_streamConfigLogic->activeConfig())
                            : MultimediaTypes::VideoResolutionUnknown;
    m_layout.setResolution(resolution);
    CVideoOverlayCapsStorage* caps = m_storageProvider ? m_storageProvider->videoOverlayCapsStorage() : nullptr;
    if (!caps)
        return;
    caps->setMaximumColumnCount(m_layout.record().columns);
    caps->setMaximumRowCount(m_layout.record().rows);
    caps->setMaximumTextLength(m_layout.record().textLength);
    caps->setTextBackgroundColorSupported(true);
    caps->setUnicodeTextSupported(true);
    caps->setGraphicsSupported(true);
    const bool changing = m_streamConfigLogic && m_streamConfigLogic->configChangeInProgress();
    caps->setOverlaySupported(resolution != MultimediaTypes::VideoResolutionUnknown && m_layout.record().rows > 0
                              && !changing);
}

quint64 CBrennicVideoOverlayLogic::imageHandle(const void* key) const
{
    return m_images.value(key).handle;
}

void CBrennicVideoOverlayLogic::storeImage(const void* key, quint64 handle, const CVideoOverlayImage& image)
{
    m_images.insert(key, ImageDescriptor{handle, std::make_shared<const CVideoOverlayImage>(image)});
}

void CBrennicVideoOverlayLogic::updateImage(const void* key, const CVideoOverlayImage& image)
{
    const auto found = m_images.find(key);
    if (found != m_images.end())
        found->image = std::make_shared<const CVideoOverlayImage>(image);
}

quint64 CBrennicVideoOverlayLogic::textHandle(const void* key) const
{
    return m_texts.value(key).handle;
}

void CBrennicVideoOverlayLogic::storeText(const void* key, quint64 handle, const CVideoOverlayText& text)
{
    m_texts.insert(key, TextDescriptor{handle, std::make_shared<const CVideoOverlayText>(text)});
}

void CBrennicVideoOverlayLogic::updateText(const void* key, const CVideoOverlayText& text)
{
    const auto found = m_texts.find(key);
    if (found != m_texts.end())
        found->text = std::make_shared<const CVideoOverlayText>(text);
}

void CBrennicVideoOverlayLogic::clear()
{
    m_texts.clear();
}

std::shared_ptr<const CVideoOverlayImage> CBrennicVideoOverlayLogic::confirmedImage(const void* key) const
{
    return m_images.value(key).image;
}

std::shared_ptr<const CVideoOverlayText> CBrennicVideoOverlayLogic::confirmedText(const void* key) const
{
    return m_texts.value(key).text;
}

} // namespace VideoOverlay
} // namespace Ulx
