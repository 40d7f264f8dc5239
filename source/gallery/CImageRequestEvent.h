#pragma once

#include "gallery/CImageResponse.h"

#include <QEvent>

#include <memory>

// Carries one thumbnail request from the QML image-loading thread to the thumbnail manager on
// the GUI thread (posted, so the manager's state is touched by the GUI thread alone).
class CImageRequestEvent : public QEvent
{
public:
    static constexpr QEvent::Type RequestType = QEvent::User;

    explicit CImageRequestEvent(std::shared_ptr<CImageResponse::Handle> response)
        : QEvent(RequestType)
        , m_response(std::move(response))
    {
    }

    std::shared_ptr<CImageResponse::Handle> response() const { return m_response; }

private:
    std::shared_ptr<CImageResponse::Handle> m_response;
};
