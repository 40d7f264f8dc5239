#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaMethod>
#include <QObject>

// Records the names of the parameterless signals an object emits, in emission order, by
// connecting each of them (those the object's class itself declares) to one slot.
class SignalRecorder : public QObject
{
    Q_OBJECT

public:
    // With a sink, several recorders write one sequence, each name prefixed with its source's
    // class name ("CSystemDataStorage::zoomSpeedChanged").
    explicit SignalRecorder(QObject* source, QList<QByteArray>* sink = nullptr)
        : m_sink(sink)
    {
        const QMetaObject* meta = source->metaObject();
        const int recordIndex = metaObject()->indexOfSlot("record()");
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.methodType() != QMetaMethod::Signal || method.parameterCount() != 0)
                continue;
            QMetaObject::connect(source, i, this, recordIndex, Qt::DirectConnection);
        }
    }

    QList<QByteArray> names;
    void clear() { names.clear(); }

public slots:
    void record()
    {
        const QMetaObject* meta = sender()->metaObject();
        const QByteArray name = meta->method(senderSignalIndex()).name();
        if (m_sink) {
            const QByteArray className = QByteArray(meta->className()).split(':').last();
            m_sink->append(className + "::" + name);
        } else {
            names.append(name);
        }
    }

private:
    QList<QByteArray>* m_sink = nullptr;
};
