#pragma once

#include <QObject>
#include <QString>

#include <gst/gst.h>

namespace Ulx {
namespace GStreamer {

// Base of every pipeline the program builds. The object owns one reference to its top-level
// element and lives on the GUI thread; GStreamer threads reach it only through the queued
// invokables below, called by the bus sync handler.
class CAbstractPipeline : public QObject
{
    Q_OBJECT

public:
    explicit CAbstractPipeline(QObject* parent = nullptr);
    ~CAbstractPipeline() override;

    // The last state of the pipeline itself reported on the bus (a GstState value).
    int state() const { return m_state; }
    GstElement* pipelineElement() const { return m_pipeline; }

    // Deletes a pipeline object that is no longer used on a thread kept for that, not the
    // caller's: its way to NULL waits for its streaming threads, which may wait for a peer or a
    // disk. It is taken from its parent, and the caller drops every connection to it first.
    static void retire(CAbstractPipeline* pipeline);

signals:
    void pipelineErrorOccurred(uint errorDomain, int errorCode, QString errorMessage);
    void stateChanged(int state);
    void streamEnded();

public:
    Q_INVOKABLE void asyncNotifyErrorOccurred(uint errorDomain, int errorCode, QString errorMessage);
    Q_INVOKABLE void asyncNotifyStateChanged(int newState);
    Q_INVOKABLE void asyncNotifyEndOfStream();

protected:
    virtual void notifyErrorOccurred(uint errorDomain, int errorCode, QString errorMessage);
    virtual void notifyStateChanged(int newState);
    virtual void notifyEndOfStream();
    virtual bool prepareStateChange(GstState target) = 0;
    virtual bool changeState(GstState target);

    void installBusHandler(GstElement* element);
    static void removeBusHandler(GstElement* element);
    static void releaseElement(GstElement*& element);
    // Takes the pipeline to NULL, removes the bus handler and drops the reference, in that
    // order, so no streaming thread can post to this object afterwards.
    void releasePipeline();

    GstElement* m_pipeline = nullptr;

private:
    static GstBusSyncReply busSyncHandler(GstBus* bus, GstMessage* message, gpointer userData);

    int m_state = GST_STATE_NULL;
};

} // namespace GStreamer
} // namespace Ulx
