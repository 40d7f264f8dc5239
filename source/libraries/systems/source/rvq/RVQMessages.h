#pragma once

#include "rvq/CRVQMessage.h"

#include <QString>

namespace Ulx {

// Message ids of the binary command link.
namespace RVQMessageId {
constexpr quint32 CameraPower = 16;
constexpr quint32 Zoom = 17;
constexpr quint32 DigitalZoom = 18;
constexpr quint32 Focus = 19;
constexpr quint32 AutoFocus = 20;
constexpr quint32 AEAutoMode = 23;
constexpr quint32 Shutter = 24;
constexpr quint32 DefogMode = 25;
constexpr quint32 PictureFlip = 26;
constexpr quint32 PictureStabilizer = 27;
constexpr quint32 Reserved32 = 32;
constexpr quint32 PanPosition = 34;
constexpr quint32 PanSpeed = 35;
constexpr quint32 TiltPosition = 36;
constexpr quint32 TiltSpeed = 37;
constexpr quint32 LightIntensity = 38;
constexpr quint32 LightBooster = 39;
constexpr quint32 Climate = 40;
constexpr quint32 Pressure = 41;
constexpr quint32 Battery = 42;
constexpr quint32 PictureEnhancement = 43;
constexpr quint32 DistanceLaser = 44;
constexpr quint32 HourCounter = 49;
constexpr quint32 SystemReady = 50;
constexpr quint32 LightControlType = 51;
constexpr quint32 DistanceCounter = 52;
constexpr quint32 Locator = 85;
constexpr quint32 OverlayOn = 128;
constexpr quint32 OverlayOff = 129;
constexpr quint32 OverlayClear = 136;
constexpr quint32 OverlayTextColors = 146;
constexpr quint32 OverlayText = 152;
constexpr quint32 Inclination = 251;
constexpr quint32 ErrorLog = 252;
constexpr quint32 ControlState = 253;
constexpr quint32 HardwareId = 254;
constexpr quint32 SoftwareVersion = 255;
} // namespace RVQMessageId

// The byte that message 16 carries to power the whole system off.
constexpr quint8 RVQSystemShutdownCode = 10;
// The bytes of message 253 kind 2.
constexpr quint8 RVQTakeControl = 0;
constexpr quint8 RVQGiveControlBack = 1;
// One shutter step towards a higher or a lower position value.
constexpr quint8 RVQShutterStepUp = 0x81;
constexpr quint8 RVQShutterStepDown = 0x01;
// An overlay text line carries at most this many characters.
constexpr int RVQOverlayTextMaxLength = 20;

// Whether queued messages of this id are each sent, even when an equal one waits: shutter
// steps, the overlay's switches and lines (a line replaces only one of its own row) and the
// control-state and identification messages.
bool isRVQCoalescingExcluded(quint32 id);
// The camera overlay's messages: switches, clear and lines.
bool isRVQOverlayMessage(quint32 id);
// The overlay messages that write one row, whose first payload byte is the row.
bool isRVQOverlayLineMessage(quint32 id);
// Whether `later`, queued after `earlier`, must reach the link after it whatever lane or
// priority each has: the messages one command sends in a row (the automatic exposure before
// defog or enhancement, a zoom speed before the zoom-position query, the auto focus before a
// focus speed, the booster before the light intensity, the full light before the booster is
// switched on), and shutter steps with what depends on or shows the shutter's position
// (camera power and choice, automatic exposure, the shutter query).
bool isRVQOrderedAfter(const CRVQMessage& later, const CRVQMessage& earlier);
// One step of a shutter move (a shutter command, not its query).
bool isRVQShutterStep(const CRVQMessage& message);
// The zoom-position query, which the query logic repeats while the zoom moves.
bool isRVQZoomPositionQuery(const CRVQMessage& message);

// Builders: each returns a new message of priority 0 (ownership to the caller), which the
// caller gives a priority and hands to a sender.
CRVQMessage* createRVQCameraPowerQueryMessage();
CRVQMessage* createRVQCameraPowerMessage(quint8 value);
CRVQMessage* createRVQZoomSpeedMessage(qint8 speed);
CRVQMessage* createRVQZoomPositionQueryMessage();
CRVQMessage* createRVQZoomPositionMessage(quint16 position);
CRVQMessage* createRVQDigitalZoomQueryMessage();
CRVQMessage* createRVQDigitalZoomMessage(quint8 on);
CRVQMessage* createRVQFocusSpeedMessage(qint8 speed);
CRVQMessage* createRVQFocusPositionQueryMessage();
CRVQMessage* createRVQAutoFocusQueryMessage();
CRVQMessage* createRVQAutoFocusMessage(quint8 on);
CRVQMessage* createRVQAEAutoModeQueryMessage();
CRVQMessage* createRVQAEAutoModeMessage(quint8 on);
CRVQMessage* createRVQShutterQueryMessage();
CRVQMessage* createRVQShutterStepMessage(quint8 step);
CRVQMessage* createRVQDefogModeQueryMessage();
CRVQMessage* createRVQDefogModeMessage(quint8 on);
CRVQMessage* createRVQPictureFlipQueryMessage();
CRVQMessage* createRVQPictureFlipMessage(quint8 on);
CRVQMessage* createRVQPictureStabilizerQueryMessage();
CRVQMessage* createRVQPictureStabilizerMessage(quint8 on);
CRVQMessage* createRVQPictureEnhancementQueryMessage();
CRVQMessage* createRVQPictureEnhancementMessage(quint8 on);
CRVQMessage* createRVQTiltPositionQueryMessage();
CRVQMessage* createRVQTiltPositionMessage(quint16 position);
CRVQMessage* createRVQTiltMotorCurrentQueryMessage();
CRVQMessage* createRVQTiltSpeedMessage(qint8 speed);
CRVQMessage* createRVQPanPositionQueryMessage();
CRVQMessage* createRVQPanPositionMessage(quint16 position);
CRVQMessage* createRVQPanMotorCurrentQueryMessage();
CRVQMessage* createRVQPanSpeedMessage(qint8 speed);
CRVQMessage* createRVQLightIntensityQueryMessage();
CRVQMessage* createRVQLightIntensityMessage(qint8 intensity);
CRVQMessage* createRVQLightBoosterQueryMessage();
CRVQMessage* createRVQLightBoosterMessage(quint8 on);
CRVQMessage* createRVQDistanceLaserQueryMessage();
CRVQMessage* createRVQDistanceLaserMessage(quint8 on);
CRVQMessage* createRVQDistanceCounterQueryMessage();
CRVQMessage* createRVQDistanceCounterMessage(float distance);
CRVQMessage* createRVQLocatorQueryMessage();
CRVQMessage* createRVQLocatorMessage(quint8 mode);
CRVQMessage* createRVQClimateQueryMessage();
CRVQMessage* createRVQPressureQueryMessage();
CRVQMessage* createRVQBatteryQueryMessage();
CRVQMessage* createRVQHourCounterQueryMessage();
CRVQMessage* createRVQSystemReadyQueryMessage();
CRVQMessage* createRVQLightControlTypeQueryMessage();
CRVQMessage* createRVQInclinationQueryMessage();
CRVQMessage* createRVQErrorLogQueryMessage();
CRVQMessage* createRVQKeepAliveMessage();
CRVQMessage* createRVQControlStateQueryMessage();
CRVQMessage* createRVQControlStateMessage(quint8 value);
CRVQMessage* createRVQHardwareIdQueryMessage();
CRVQMessage* createRVQSoftwareVersionQueryMessage();
CRVQMessage* createRVQOverlayOnMessage();
CRVQMessage* createRVQOverlayOffMessage();
CRVQMessage* createRVQOverlayClearMessage();
CRVQMessage* createRVQOverlayTextColorsMessage(quint8 lineIndex, quint8 textColor, quint8 backgroundColor,
                                               quint8 fourthValue);
// The text is cut to its first 20 characters and upper-cased before it is written as Latin-1.
CRVQMessage* createRVQOverlayTextMessage(quint8 lineIndex, const QString& text);

} // namespace Ulx
