#pragma once

#include "videooverlay/CAbstractVideoOverlayLogic.h"
#include "videooverlay/CBrennicOverlayLayout.h"
#include "videooverlay/CVideoOverlayImage.h"
#include "videooverlay/CVideoOverlayText.h"
#include "videooverlay/IOverlayObjectStore.h"

#include <QHash>
#include <QList>

#include <memory>

class QNetworkAccessManager;

namespace Ulx {
class IStorageProvider;
namespace Multimedia {
class CBrennicVideoStreamConfigLogic;
}
} // namespace Ulx

namespace Ulx {
namespace VideoOverlay {

class CBrennicOverlayUpdate;

// The camera overlay of ZPX2 and Gullyrover systems, drawn by their Brennic encoder board from
// text and image objects it keeps by handle. Changes are batched between beginUpdate and
// endUpdate into updates (one request each) that reach the board strictly one after the
// other; while one runs, later batches merge into the one update that waits. The capabilities follow the layout of the stream's resolution; while the stream is
// reconfigured the overlay is unsupported, and afterwards it is set up again.
//
// Ownership: made and owned by the session; the stream-configuration logic and the storage
// provider are not owned. The logic owns its network access manager (a child), the collecting,
// running and waiting updates, and the descriptors. GUI thread only.
class CBrennicVideoOverlayLogic : public CAbstractVideoOverlayLogic, public IOverlayObjectStore
{
    Q_OBJECT

public:
    struct TextDescriptor
    {
        quint64 handle = 0;
        std::shared_ptr<const CVideoOverlayText> text;
    };
    struct ImageDescriptor
    {
        quint64 handle = 0;
        std::shared_ptr<const CVideoOverlayImage> image;
    };

    CBrennicVideoOverlayLogic(Ulx::Multimedia::CBrennicVideoStreamConfigLogic* streamConfigLogic,
                              Ulx::IStorageProvider* storageProvider);
    ~CBrennicVideoOverlayLogic() override;

    void initialize() override;
    void shutdown() override;
    void beginUpdate() override;
    void endUpdate() override;
    void drawImage(const CVideoOverlayImage& image) override;
    void drawText(const CVideoOverlayText& text) override;
    void setVideoOverlayEnabled(bool enabled) override;
    void clearVideoOverlay() override;
    void setScript(Ulx::VideoOverlayTypes::Script script) override;

    quint64 imageHandle(const void* key) const override;
    void storeImage(const void* key, quint64 handle, const CVideoOverlayImage& image) override;
    void updateImage(const void* key, const CVideoOverlayImage& image) override;
    quint64 textHandle(const void* key) const override;
    void storeText(const void* key, quint64 handle, const CVideoOverlayText& text) override;
    void updateText(const void* key, const CVideoOverlayText& text) override;
    void clear() override;
    std::shared_ptr<const CVideoOverlayImage> confirmedImage(const void* key) const override;
    std::shared_ptr<const CVideoOverlayText> confirmedText(const void* key) const override;

    const CBrennicOverlayLayout& layout() const { return m_layout; }
    bool updateRunning() const { return m_runningUpdate != nullptr; }
    int waitingUpdateCount() const { return m_waitingUpdate ? 1 : 0; }
    // Tests shorten the time a board may take to answer.
    void setTransferTimeout(int milliseconds) { m_transferTimeout = milliseconds; }

public slots:
    void onUpdateFinished();
    void onStreamConfigChanged();
    void onStreamConfigChangeInProgressChanged();

private:
    CBrennicOverlayUpdate* collectingUpdate();
    void submit();
    void start(CBrennicOverlayUpdate* update);
    void drop(CBrennicOverlayUpdate* update);
    void publishCaps();
    bool fitsGrid(const CVideoOverlayText& text) const;

    Ulx::Multimedia::CBrennicVideoStreamConfigLogic* m_streamConfigLogic = nullptr;
    Ulx::IStorageProvider* m_storageProvider = nullptr;
    QHash<const void*, ImageDescriptor> m_images;
    QHash<const void*, TextDescriptor> m_texts;
    CBrennicOverlayLayout m_layout;
    QNetworkAccessManager* m_network = nullptr;
    // At most one update waits behind the running one: a board that answers slowly must not
    // collect a backlog of refreshes, each older than the one after it.
    CBrennicOverlayUpdate* m_waitingUpdate = nullptr;
    CBrennicOverlayUpdate* m_collectingUpdate = nullptr;
    CBrennicOverlayUpdate* m_runningUpdate = nullptr;
    int m_transferTimeout = 0;
    bool m_inBatch = false;
    bool m_active = false;
};

} // namespace VideoOverlay
} // namespace Ulx
