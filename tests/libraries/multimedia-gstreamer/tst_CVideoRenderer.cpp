#include "misc/CVideoRenderer.h"

#include <QtConcurrent>
#include <QtTest>

using Ulx::GStreamer::CVideoRenderer;

class tst_CVideoRenderer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { gst_init(nullptr, nullptr); }

    void typeIsRegisteredOnceAcrossThreads()
    {
        QFuture<GType> first = QtConcurrent::run([] { return CVideoRenderer::rendererType(); });
        QFuture<GType> second = QtConcurrent::run([] { return CVideoRenderer::rendererType(); });
        QVERIFY(first.result() != 0);
        QCOMPARE(first.result(), second.result());
        QCOMPARE(g_type_from_name("GstPlayerQtVideoRenderer"), first.result());
        QVERIFY(g_type_is_a(first.result(), GST_TYPE_PLAYER_VIDEO_RENDERER));
    }

    void eachRendererHandsOutItsOwnAppSink()
    {
        CVideoRenderer one;
        CVideoRenderer two;
        QVERIFY(one.videoSink());
        QVERIFY(two.videoSink());
        QVERIFY(one.videoSink() != two.videoSink());
        QCOMPARE(QByteArray(G_OBJECT_TYPE_NAME(one.videoSink())), QByteArray("GstAppSink"));

        // The interface hands the player exactly that sink; the renderer knows its owner.
        GstPlayerVideoRenderer* renderer = one.renderer();
        QVERIFY(renderer);
        auto* iface = GST_PLAYER_VIDEO_RENDERER_GET_INTERFACE(renderer);
        QCOMPARE(iface->create_video_sink(renderer, nullptr), one.videoSink());
        gpointer owner = nullptr;
        g_object_get(renderer, "renderer", &owner, nullptr);
        QCOMPARE(owner, static_cast<gpointer>(&one));
        g_object_unref(renderer);
    }
};

QTEST_GUILESS_MAIN(tst_CVideoRenderer)
#include "tst_CVideoRenderer.moc"
