#pragma once

#include "videooverlay/CAbstractVideoOverlayLogic.h"

#include <QHash>

#include <memory>

namespace Ulx {
class CRVQMessage;
class IRVQMessageSender;
class IStorageProvider;
} // namespace Ulx

namespace Ulx {
namespace VideoOverlay {

class CVideoOverlayCapsStorage;
class CVideoOverlayDataStorage;
class CVideoOverlayText;

// The character overlay of camera modules that show a fixed grid of text rows, written a whole
// row at a time over the command link. Every item is sent as it is drawn (no batching); the
// logic remembers each item and each row's place and colour as last sent, so that an unchanged
// item costs nothing and a changed one only the message of what changed. Sender and
// storage provider are not owned; the subclasses only publish their grid. GUI thread only.
class CCharGridVideoOverlayLogic : public CAbstractVideoOverlayLogic
{
    Q_OBJECT

public:
    CCharGridVideoOverlayLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CCharGridVideoOverlayLogic() override;

    void initialize() override;
    void shutdown() override;
    void beginUpdate() override;
    void endUpdate() override;
    void drawImage(const CVideoOverlayImage& image) override;
    void drawText(const CVideoOverlayText& text) override;
    void setVideoOverlayEnabled(bool enabled) override;
    void clearVideoOverlay() override;
    void setScript(Ulx::VideoOverlayTypes::Script script) override;

    // The camera's colour code of a text colour; colours the camera lacks show in its default.
    static quint8 textColorCode(const QColor& color);

protected:
    // Publishes the camera's grid in the caps storage.
    virtual void setupCaps() = 0;

    CVideoOverlayCapsStorage* capsStorage() const;
    CVideoOverlayDataStorage* dataStorage() const;

private:
    bool senderReady() const;
    void send(Ulx::CRVQMessage* message);
    void removeItem(const CVideoOverlayText* key);
    void forgetEverything();

    Ulx::IRVQMessageSender* m_sender = nullptr;
    Ulx::IStorageProvider* m_storageProvider = nullptr;
    // What each row holds as far as the camera knows: the item as last sent, by the caller's item.
    QHash<const CVideoOverlayText*, std::shared_ptr<CVideoOverlayText>> m_shownTexts;
    // Where and in which colour each row's text stands as last sent, by row.
    struct RowPlacement
    {
        int column = 0;
        quint8 colorCode = 0;
        bool operator==(const RowPlacement& other) const
        {
            return column == other.column && colorCode == other.colorCode;
        }
    };
    QHash<int, RowPlacement> m_rowPlacements;
};

} // namespace VideoOverlay
} // namespace Ulx
