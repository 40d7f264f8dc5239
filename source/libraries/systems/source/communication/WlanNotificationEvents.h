#pragma once

#include <QEvent>
#include <QString>
#include <QUuid>

namespace Ulx {
namespace Communication {

// The events by which the wireless service's notification thread hands a notification to the
// network manager on the GUI thread. Allocated by the notification callback and owned by Qt's
// event queue once posted.
class CWLanBaseNotificationEvent : public QEvent
{
public:
    CWLanBaseNotificationEvent(QEvent::Type type, const QUuid& interfaceGuid, quint32 source, quint32 code)
        : QEvent(type)
        , m_interfaceGuid(interfaceGuid)
        , m_source(source)
        , m_code(code)
    {
    }

    QUuid interfaceGuid() const { return m_interfaceGuid; }
    quint32 notificationSource() const { return m_source; }
    quint32 notificationCode() const { return m_code; }

private:
    QUuid m_interfaceGuid;
    quint32 m_source = 0;
    quint32 m_code = 0;
};

// Every notification that carries no connection data.
class CWLanGenericNotificationEvent : public CWLanBaseNotificationEvent
{
public:
    static constexpr QEvent::Type EventType = QEvent::User;

    CWLanGenericNotificationEvent(const QUuid& interfaceGuid, quint32 source, quint32 code)
        : CWLanBaseNotificationEvent(EventType, interfaceGuid, source, code)
    {
    }
};

// The connection notifications (start, connected) with their SSID and reason code.
class CWlanConnectionNotificationEvent : public CWLanBaseNotificationEvent
{
public:
    static constexpr QEvent::Type EventType = static_cast<QEvent::Type>(QEvent::User + 1);

    CWlanConnectionNotificationEvent(const QUuid& interfaceGuid, quint32 source, quint32 code, const QString& ssid,
                                     quint32 reasonCode)
        : CWLanBaseNotificationEvent(EventType, interfaceGuid, source, code)
        , m_ssid(ssid)
        , m_reasonCode(reasonCode)
    {
    }

    QString ssid() const { return m_ssid; }
    quint32 reasonCode() const { return m_reasonCode; }

private:
    QString m_ssid;
    quint32 m_reasonCode = 0;
};

} // namespace Communication
} // namespace Ulx
