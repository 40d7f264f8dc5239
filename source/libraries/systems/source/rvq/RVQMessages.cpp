#include "rvq/RVQMessages.h"

namespace Ulx {

namespace {

CRVQMessage* newMessage(quint32 id, qint32 kind)
{
    return new CRVQMessage(id, kind);
}

} // namespace

bool isRVQCoalescingExcluded(quint32 id)
{
    switch (id) {
    case RVQMessageId::Shutter:
    case RVQMessageId::Reserved32:
    case RVQMessageId::OverlayOn:
    case RVQMessageId::OverlayOff:
    case RVQMessageId::OverlayClear:
    case RVQMessageId::OverlayTextColors:
    case RVQMessageId::OverlayText:
    case RVQMessageId::ControlState:
    case RVQMessageId::HardwareId:
    case RVQMessageId::SoftwareVersion:
        return true;
    default:
        return false;
    }
}

bool isRVQOverlayLineMessage(quint32 id)
{
    return id == RVQMessageId::OverlayTextColors || id == RVQMessageId::OverlayText;
}

bool isRVQOverlayMessage(quint32 id)
{
    return id == RVQMessageId::OverlayOn || id == RVQMessageId::OverlayOff || id == RVQMessageId::OverlayClear
           || isRVQOverlayLineMessage(id);
}

bool isRVQShutterStep(const CRVQMessage& message)
{
    return message.id() == RVQMessageId::Shutter && message.kind() == CRVQMessage::KindCommand;
}

namespace {

// What a shutter step depends on or changes the reading of.
bool showsExposure(const CRVQMessage& message)
{
    return message.id() == RVQMessageId::CameraPower || message.id() == RVQMessageId::AEAutoMode
           || (message.id() == RVQMessageId::Shutter && message.kind() == CRVQMessage::KindQuery);
}

bool is(const CRVQMessage& message, quint32 id, qint32 kind)
{
    return message.id() == id && message.kind() == kind;
}

} // namespace

bool isRVQOrderedAfter(const CRVQMessage& later, const CRVQMessage& earlier)
{
    if (isRVQShutterStep(later))
        return showsExposure(earlier);
    if (showsExposure(later))
        return isRVQShutterStep(earlier);
    switch (later.id()) {
    case RVQMessageId::DefogMode:
    case RVQMessageId::PictureEnhancement:
        return later.kind() == CRVQMessage::KindSetValue
               && is(earlier, RVQMessageId::AEAutoMode, CRVQMessage::KindSetValue);
    case RVQMessageId::Zoom:
        return later.kind() == CRVQMessage::KindQuery && is(earlier, RVQMessageId::Zoom, CRVQMessage::KindCommand);
    case RVQMessageId::Focus:
        return later.kind() == CRVQMessage::KindCommand
               && is(earlier, RVQMessageId::AutoFocus, CRVQMessage::KindSetValue);
    case RVQMessageId::LightIntensity:
        return later.kind() == CRVQMessage::KindCommand
               && is(earlier, RVQMessageId::LightBooster, CRVQMessage::KindCommand);
    case RVQMessageId::LightBooster:
        // Only switching the booster on needs the full light before it; switching it off
        // comes first in its command, so it needs nothing that waits ahead of it.
        return later.kind() == CRVQMessage::KindCommand && later.payload() != QByteArray(1, '\0')
               && is(earlier, RVQMessageId::LightIntensity, CRVQMessage::KindCommand);
    default:
        return false;
    }
}

bool isRVQZoomPositionQuery(const CRVQMessage& message)
{
    return is(message, RVQMessageId::Zoom, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQCameraPowerQueryMessage()
{
    return newMessage(RVQMessageId::CameraPower, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQCameraPowerMessage(quint8 value)
{
    CRVQMessage* message = newMessage(RVQMessageId::CameraPower, CRVQMessage::KindCommand);
    message->appendUInt8(value);
    return message;
}

CRVQMessage* createRVQZoomSpeedMessage(qint8 speed)
{
    CRVQMessage* message = newMessage(RVQMessageId::Zoom, CRVQMessage::KindCommand);
    message->appendInt8(speed);
    return message;
}

CRVQMessage* createRVQZoomPositionQueryMessage()
{
    return newMessage(RVQMessageId::Zoom, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQZoomPositionMessage(quint16 position)
{
    CRVQMessage* message = newMessage(RVQMessageId::Zoom, CRVQMessage::KindSetValue);
    message->appendUInt16(position);
    return message;
}

CRVQMessage* createRVQDigitalZoomQueryMessage()
{
    return newMessage(RVQMessageId::DigitalZoom, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQDigitalZoomMessage(quint8 on)
{
    CRVQMessage* message = newMessage(RVQMessageId::DigitalZoom, CRVQMessage::KindSetValue);
    message->appendUInt8(on);
    return message;
}

CRVQMessage* createRVQFocusSpeedMessage(qint8 speed)
{
    CRVQMessage* message = newMessage(RVQMessageId::Focus, CRVQMessage::KindCommand);
    message->appendInt8(speed);
    return message;
}

CRVQMessage* createRVQFocusPositionQueryMessage()
{
    return newMessage(RVQMessageId::Focus, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQAutoFocusQueryMessage()
{
    return newMessage(RVQMessageId::AutoFocus, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQAutoFocusMessage(quint8 on)
{
    CRVQMessage* message = newMessage(RVQMessageId::AutoFocus, CRVQMessage::KindSetValue);
    message->appendUInt8(on);
    return message;
}

CRVQMessage* createRVQAEAutoModeQueryMessage()
{
    return newMessage(RVQMessageId::AEAutoMode, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQAEAutoModeMessage(quint8 on)
{
    CRVQMessage* message = newMessage(RVQMessageId::AEAutoMode, CRVQMessage::KindSetValue);
    message->appendUInt8(on);
    return message;
}

CRVQMessage* createRVQShutterQueryMessage()
{
    return newMessage(RVQMessageId::Shutter, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQShutterStepMessage(quint8 step)
{
    CRVQMessage* message = newMessage(RVQMessageId::Shutter, CRVQMessage::KindCommand);
    message->appendUInt8(step);
    return message;
}

CRVQMessage* createRVQDefogModeQueryMessage()
{
    return newMessage(RVQMessageId::DefogMode, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQDefogModeMessage(quint8 on)
{
    CRVQMessage* message = newMessage(RVQMessageId::DefogMode, CRVQMessage::KindSetValue);
    message->appendUInt8(on);
    return message;
}

CRVQMessage* createRVQPictureFlipQueryMessage()
{
    return newMessage(RVQMessageId::PictureFlip, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQPictureFlipMessage(quint8 on)
{
    CRVQMessage* message = newMessage(RVQMessageId::PictureFlip, CRVQMessage::KindSetValue);
    message->appendUInt8(on);
    return message;
}

CRVQMessage* createRVQPictureStabilizerQueryMessage()
{
    return newMessage(RVQMessageId::PictureStabilizer, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQPictureStabilizerMessage(quint8 on)
{
    CRVQMessage* message = newMessage(RVQMessageId::PictureStabilizer, CRVQMessage::KindSetValue);
    message->appendUInt8(on);
    return message;
}

CRVQMessage* createRVQPictureEnhancementQueryMessage()
{
    return newMessage(RVQMessageId::PictureEnhancement, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQPictureEnhancementMessage(quint8 on)
{
    CRVQMessage* message = newMessage(RVQMessageId::PictureEnhancement, CRVQMessage::KindSetValue);
    message->appendUInt8(on);
    return message;
}

CRVQMessage* createRVQTiltPositionQueryMessage()
{
    return newMessage(RVQMessageId::TiltPosition, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQTiltPositionMessage(quint16 position)
{
    CRVQMessage* message = newMessage(RVQMessageId::TiltPosition, CRVQMessage::KindSetValue);
    message->appendUInt16(position);
    return message;
}

CRVQMessage* createRVQTiltMotorCurrentQueryMessage()
{
    return newMessage(RVQMessageId::TiltSpeed, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQTiltSpeedMessage(qint8 speed)
{
    CRVQMessage* message = newMessage(RVQMessageId::TiltSpeed, CRVQMessage::KindCommand);
    message->appendInt8(speed);
    return message;
}

CRVQMessage* createRVQPanPositionQueryMessage()
{
    return newMessage(RVQMessageId::PanPosition, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQPanPositionMessage(quint16 position)
{
    CRVQMessage* message = newMessage(RVQMessageId::PanPosition, CRVQMessage::KindSetValue);
    message->appendUInt16(position);
    return message;
}

CRVQMessage* createRVQPanMotorCurrentQueryMessage()
{
    return newMessage(RVQMessageId::PanSpeed, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQPanSpeedMessage(qint8 speed)
{
    CRVQMessage* message = newMessage(RVQMessageId::PanSpeed, CRVQMessage::KindCommand);
    message->appendInt8(speed);
    return message;
}

CRVQMessage* createRVQLightIntensityQueryMessage()
{
    return newMessage(RVQMessageId::LightIntensity, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQLightIntensityMessage(qint8 intensity)
{
    CRVQMessage* message = newMessage(RVQMessageId::LightIntensity, CRVQMessage::KindCommand);
    message->appendInt8(intensity);
    return message;
}

CRVQMessage* createRVQLightBoosterQueryMessage()
{
    return newMessage(RVQMessageId::LightBooster, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQLightBoosterMessage(quint8 on)
{
    CRVQMessage* message = newMessage(RVQMessageId::LightBooster, CRVQMessage::KindCommand);
    message->appendUInt8(on);
    return message;
}

CRVQMessage* createRVQDistanceLaserQueryMessage()
{
    return newMessage(RVQMessageId::DistanceLaser, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQDistanceLaserMessage(quint8 on)
{
    CRVQMessage* message = newMessage(RVQMessageId::DistanceLaser, CRVQMessage::KindCommand);
    message->appendUInt8(on);
    return message;
}

CRVQMessage* createRVQDistanceCounterQueryMessage()
{
    return newMessage(RVQMessageId::DistanceCounter, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQDistanceCounterMessage(float distance)
{
    CRVQMessage* message = newMessage(RVQMessageId::DistanceCounter, CRVQMessage::KindSetValue);
    message->appendFloat(distance);
    return message;
}

CRVQMessage* createRVQLocatorQueryMessage()
{
    return newMessage(RVQMessageId::Locator, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQLocatorMessage(quint8 mode)
{
    CRVQMessage* message = newMessage(RVQMessageId::Locator, CRVQMessage::KindCommand);
    message->appendUInt8(mode);
    return message;
}

CRVQMessage* createRVQClimateQueryMessage()
{
    return newMessage(RVQMessageId::Climate, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQPressureQueryMessage()
{
    return newMessage(RVQMessageId::Pressure, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQBatteryQueryMessage()
{
    return newMessage(RVQMessageId::Battery, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQHourCounterQueryMessage()
{
    return newMessage(RVQMessageId::HourCounter, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQSystemReadyQueryMessage()
{
    return newMessage(RVQMessageId::SystemReady, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQLightControlTypeQueryMessage()
{
    return newMessage(RVQMessageId::LightControlType, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQInclinationQueryMessage()
{
    return newMessage(RVQMessageId::Inclination, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQErrorLogQueryMessage()
{
    return newMessage(RVQMessageId::ErrorLog, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQKeepAliveMessage()
{
    return newMessage(RVQMessageId::ControlState, CRVQMessage::KindCommand);
}

CRVQMessage* createRVQControlStateQueryMessage()
{
    return newMessage(RVQMessageId::ControlState, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQControlStateMessage(quint8 value)
{
    CRVQMessage* message = newMessage(RVQMessageId::ControlState, CRVQMessage::KindSetValue);
    message->appendUInt8(value);
    return message;
}

CRVQMessage* createRVQHardwareIdQueryMessage()
{
    return newMessage(RVQMessageId::HardwareId, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQSoftwareVersionQueryMessage()
{
    return newMessage(RVQMessageId::SoftwareVersion, CRVQMessage::KindQuery);
}

CRVQMessage* createRVQOverlayOnMessage()
{
    return newMessage(RVQMessageId::OverlayOn, CRVQMessage::KindCommand);
}

CRVQMessage* createRVQOverlayOffMessage()
{
    return newMessage(RVQMessageId::OverlayOff, CRVQMessage::KindCommand);
}

CRVQMessage* createRVQOverlayClearMessage()
{
    return newMessage(RVQMessageId::OverlayClear, CRVQMessage::KindCommand);
}

CRVQMessage* createRVQOverlayTextColorsMessage(quint8 lineIndex, quint8 textColor, quint8 backgroundColor,
                                               quint8 fourthValue)
{
    CRVQMessage* message = newMessage(RVQMessageId::OverlayTextColors, CRVQMessage::KindSetValue);
    message->appendUInt8(lineIndex);
    message->appendUInt8(textColor);
    message->appendUInt8(backgroundColor);
    message->appendUInt8(fourthValue);
    return message;
}

CRVQMessage* createRVQOverlayTextMessage(quint8 lineIndex, const QString& text)
{
    CRVQMessage* message = newMessage(RVQMessageId::OverlayText, CRVQMessage::KindSetValue);
    message->appendUInt8(lineIndex);
    message->appendString(text.left(RVQOverlayTextMaxLength).toUpper());
    return message;
}

} // namespace Ulx
