#include "communication/CSystemListMaintainer.h"

#include "communication/CAbstractNetworkManager.h"
#include "flavors/Flavors.h"

#include <QTimerEvent>

#include <algorithm>

namespace Ulx {
namespace Communication {

CSystemListMaintainer::CSystemListMaintainer(CAbstractNetworkManager* networkManager)
    : QObject(nullptr)
    , m_networkManager(networkManager)
{
    if (m_networkManager)
        connect(m_networkManager, &CAbstractNetworkManager::networkScanEnded, this,
                &CSystemListMaintainer::onNetworkScanEnded);
    rebuild();
}

CSystemListMaintainer::~CSystemListMaintainer()
{
    for (int timerId : qAsConst(m_hideTimers))
        killTimer(timerId);
}

void CSystemListMaintainer::hideSystem(const QString& networkName)
{
    const int timerId = startTimer(m_hideIntervalMs, Qt::CoarseTimer);
    if (timerId == 0)
        return; // no timer: hiding the name would hide it for good
    m_hideTimers.append(timerId);
    m_hiddenNames.append(networkName);
    // Every occurrence goes: a network seen twice in one scan is still one system, and leaving
    // a copy would keep the hidden system on offer until the next scan.
    if (m_availableNames.removeAll(networkName) > 0)
        emit availableSystemsChanged();
}

void CSystemListMaintainer::onNetworkScanEnded()
{
    rebuild();
}

void CSystemListMaintainer::timerEvent(QTimerEvent* event)
{
    const int index = m_hideTimers.indexOf(event->timerId());
    if (index < 0) {
        QObject::timerEvent(event);
        return;
    }
    killTimer(m_hideTimers.takeAt(index));
    m_hiddenNames.removeAt(index);
    rebuild();
}

void CSystemListMaintainer::rebuild()
{
    QStringList names;
    const QStringList networks = m_networkManager ? m_networkManager->availableNetworks() : QStringList();
    for (const QString& name : networks) {
        if (m_hiddenNames.contains(name, Qt::CaseSensitive))
            continue;
        if (Flavors::systemFamilyFromNetworkName(name) == CommunicationTypes::SystemFamilyUnknown)
            continue;
        names.append(name);
    }
    // Without letter case first; names that differ only in case are then ordered by their case,
    // so the same names from a scan in any order always give the same list.
    std::sort(names.begin(), names.end(), [](const QString& left, const QString& right) {
        const int withoutCase = QString::compare(left, right, Qt::CaseInsensitive);
        if (withoutCase != 0)
            return withoutCase < 0;
        return QString::compare(left, right, Qt::CaseSensitive) < 0;
    });
    if (names == m_availableNames)
        return;
    m_availableNames = names;
    emit availableSystemsChanged();
}

} // namespace Communication
} // namespace Ulx
