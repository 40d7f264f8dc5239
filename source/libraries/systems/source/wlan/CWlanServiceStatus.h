#pragma once

#include <QObject>

namespace Ulx {
namespace Wlan {

// Whether the platform's wireless service is there, as the GUI thread sees it. Found until the
// thread that looks for the service says otherwise, so that the screen does not flash a
// missing service while the answer travels. One instance, on the GUI thread, for the whole run.
class CWlanServiceStatus : public QObject
{
    Q_OBJECT

public:
    static CWlanServiceStatus* instance();

    bool serviceFound() const { return m_found; }
    void setServiceFound(bool found);

signals:
    void serviceFoundChanged();

private:
    bool m_found = true;
};

} // namespace Wlan
} // namespace Ulx
