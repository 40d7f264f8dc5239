#pragma once

// Shared by the RVQ tests: the two storages the RVQ logics write, and a sender that keeps
// every message it is given instead of putting it on a link.

#include "IStorageProvider.h"
#include "rvq/CRVQMessage.h"
#include "rvq/IRVQMessageSender.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemDataStorage.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtTest>

#include <cstring>
#include <memory>
#include <vector>

class RVQTestStorageProvider : public Ulx::IStorageProvider
{
public:
    Ulx::Multimedia::CRemoteMediaDataStorage* remoteMediaDataStorage() override { return nullptr; }
    Ulx::SystemControl::CSystemCapsStorage* systemCapsStorage() override { return &caps; }
    Ulx::SystemControl::CSystemDataStorage* systemDataStorage() override { return &data; }
    Ulx::VideoOverlay::CVideoOverlayCapsStorage* videoOverlayCapsStorage() override { return nullptr; }
    Ulx::VideoOverlay::CVideoOverlayDataStorage* videoOverlayDataStorage() override { return nullptr; }

    Ulx::SystemControl::CSystemCapsStorage caps;
    Ulx::SystemControl::CSystemDataStorage data;
};

// One message as a sender saw it.
struct SentMessage
{
    quint32 id = 0;
    qint32 kind = 0;
    QByteArray payload;
    qint32 priority = 0;

    bool operator==(const SentMessage& other) const
    {
        return id == other.id && kind == other.kind && payload == other.payload && priority == other.priority;
    }
};

inline char* toString(const SentMessage& message)
{
    return QTest::toString(QStringLiteral("%1/%2/%3 p%4")
                               .arg(message.id)
                               .arg(message.kind)
                               .arg(QString::fromLatin1(message.payload.toHex()))
                               .arg(message.priority));
}

class RecordingRVQSender : public Ulx::IRVQMessageSender
{
public:
    bool isReadyToSend() const override { return ready; }
    void sendMessage(Ulx::CRVQMessage* message) override
    {
        std::unique_ptr<Ulx::CRVQMessage> owned(message);
        sent.append({owned->id(), owned->kind(), owned->payload(), owned->priority()});
    }
    // The ids in the order they were sent.
    QList<quint32> ids() const
    {
        QList<quint32> result;
        for (const SentMessage& message : sent)
            result.append(message.id);
        return result;
    }

    bool ready = true;
    QList<SentMessage> sent;
};

inline QByteArray rvqU16(quint16 value) { return QByteArray(1, char(value >> 8)) + QByteArray(1, char(value & 0xFF)); }

inline QByteArray rvqF32(float value)
{
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    return rvqU16(quint16(bits >> 16)) + rvqU16(quint16(bits & 0xFFFF));
}
