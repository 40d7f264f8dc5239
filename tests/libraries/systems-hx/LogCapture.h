#pragma once

// Collects the program's log lines (printed to Qt's debug output) while it lives.

#include "CLogger.h"

#include <QMutex>
#include <QStringList>

class LogCapture
{
public:
    LogCapture()
    {
        s_instance = this;
        Tovrin::Logging::CLogger::setPrintToConsole(true);
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        Tovrin::Logging::CLogger::setPrintToConsole(false);
        s_instance = nullptr;
    }

    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }
    int count(const QString& text) const
    {
        int n = 0;
        const QStringList all = lines();
        for (const QString& line : all)
            n += line.contains(text) ? 1 : 0;
        return n;
    }
    int indexOf(const QString& text, int from = 0) const
    {
        const QStringList all = lines();
        for (int i = from; i < all.size(); ++i) {
            if (all.at(i).contains(text))
                return i;
        }
        return -1;
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_lines.clear();
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (s_instance) {
            QMutexLocker lock(&s_instance->m_mutex);
            s_instance->m_lines.append(message);
        }
        Q_UNUSED(type)
        Q_UNUSED(context)
    }

    static inline LogCapture* s_instance = nullptr;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QStringList m_lines;
};
