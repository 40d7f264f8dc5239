#pragma once

#include <QObject>

#include <gst/app/gstappsink.h>

#include <atomic>

namespace Ulx {
namespace GStreamer {

// Drives one appsink element of a pipeline from the GUI thread. The element belongs to its
// pipeline; this object only installs callbacks on it. Callbacks run on streaming threads and
// only post work to this object by queued invocation.
class CAbstractAppSink : public QObject
{
    Q_OBJECT

public:
    explicit CAbstractAppSink(QObject* parent = nullptr);
    ~CAbstractAppSink() override;

    GstAppSink* appSinkElement() const { return m_appSink.load(); }

public slots:
    virtual void notifyEndOfStream();
    virtual GstFlowReturn newPreroll();
    virtual GstFlowReturn newSample();
    virtual void setAppSinkElement(GstAppSink* element);

protected:
    // True when the subclass wants end-of-stream callbacks.
    virtual bool handlesEndOfStream() const { return false; }

    static void callbackEOS(GstAppSink* sink, gpointer userData);
    static GstFlowReturn callbackNewPreroll(GstAppSink* sink, gpointer userData);
    static GstFlowReturn callbackNewSample(GstAppSink* sink, gpointer userData);

    // Set on the GUI thread, read by the streaming thread's callbacks.
    std::atomic<GstAppSink*> m_appSink { nullptr };
};

} // namespace GStreamer
} // namespace Ulx
