#pragma once

#include <QBasicTimer>
#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QPointer>

class QJsonObject;
class QNetworkAccessManager;
class QNetworkReply;
class QTimerEvent;

namespace Ulx {
namespace VideoOverlay {

class CBrennicOverlayLayout;
class COverlayChange;
class CVideoOverlayImage;
class CVideoOverlayText;
class IOverlayObjectStore;

// One request of overlay commands to the Brennic board: the changes collected between two
// submits, turned into commands when sent, and the board's results matched to them one to one
// and written into the object store. Created without a parent by the Brennic overlay logic,
// which owns it; store, layout and network access manager are the logic's. Owns its changes
// and its reply (released with deleteLater). GUI thread only.
class CBrennicOverlayUpdate : public QObject
{
    Q_OBJECT

public:
    // Beyond the slowest answer of a board that still works: a board that stopped answering
    // would otherwise hold every later update.
    static constexpr int DefaultTransferTimeout = 5000;

    CBrennicOverlayUpdate(IOverlayObjectStore* store, const CBrennicOverlayLayout* layout,
                          QNetworkAccessManager* manager);
    ~CBrennicOverlayUpdate() override;

    // An item drawn again before the update is sent replaces its earlier change, so that one
    // request never creates the same item twice.
    void addTextChange(const void* key, const CVideoOverlayText& text);
    void addImageChange(const void* key, const CVideoOverlayImage& image);
    void addStateChange(bool enabled);
    void addClearChange();
    // Takes over the changes of a newer update that was not sent either, so that one waiting
    // request holds the newest of everything: an item's newer change replaces its older one,
    // the newer overlay state replaces the older, and a clear drops the text changes before it
    // (the board would wipe them). The newer update is left empty.
    void absorb(CBrennicOverlayUpdate& newer);
    bool isEmpty() const { return m_changes.isEmpty(); }
    int changeCount() const { return m_changes.size(); }

    void send();
    void setTransferTimeout(int milliseconds) { m_transferTimeout = milliseconds; }

    // The board may hold objects it did not confirm: the request failed or its answer was
    // unusable after it asked for new objects (the board may have made them all the same).
    bool boardStateUnknown() const { return m_boardStateUnknown; }

    // The request's commands once sent (for the logs and tests).
    QJsonArray commands() const { return m_commands; }

    // The image as the board takes it: 32-bit ARGB with both sides multiples of 4, grown by
    // repeating the last column and then the last row.
    static QImage prepareImage(const QImage& image);

signals:
    void finished();

public slots:
    void onReplyFinished();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    // False when the reply could not be matched to the changes at all.
    bool processReplyData(const QByteArray& data);
    QJsonObject textParameters(const CVideoOverlayText& text, const CVideoOverlayText* previous) const;
    QJsonObject imageParameters(const CVideoOverlayImage& image, const CVideoOverlayImage* previous) const;

    IOverlayObjectStore* m_store = nullptr;
    const CBrennicOverlayLayout* m_layout = nullptr;
    QNetworkAccessManager* m_manager = nullptr;
    QList<COverlayChange*> m_changes; // owned
    QJsonArray m_commands;
    QPointer<QNetworkReply> m_reply;
    QBasicTimer m_transferTimer;
    int m_transferTimeout = DefaultTransferTimeout;
    bool m_finished = false;
    bool m_createsSent = false;
    bool m_boardStateUnknown = false;
};

} // namespace VideoOverlay
} // namespace Ulx
