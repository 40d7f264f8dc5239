// Saves of the settings and the runtime data, which end on the store's thread. Header only; a
// test includes "support/SettingsSaving.h".
#pragma once

#include "application/CSettingsStore.h"

#include <QDeadlineTimer>
#include <QSignalSpy>

// Saves saver (a CSettings or a CAppRuntimeData) and turns the event loop until its result
// comes: the result, or -1 when none came within 30 s.
template <typename Saver>
int saveAndWait(Saver& saver)
{
    QSignalSpy finished(&saver, &Saver::saveFinished);
    const uint taskId = saver.save();
    const QDeadlineTimer deadline(30000);
    for (;;) {
        for (const QList<QVariant>& arguments : qAsConst(finished)) {
            if (arguments.at(0).toUInt() == taskId)
                return int(arguments.at(1).value<CSettingsStore::Result>());
        }
        if (deadline.hasExpired() || !finished.wait(int(deadline.remainingTime())))
            return -1;
    }
}
