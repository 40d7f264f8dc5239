#pragma once

#include "managers/ISleepInhibitor.h"

#include <memory>

// Counts what the power manager asks of the desktop, without a bus. The counters live in a
// shared record so that the test can read them after the manager took the inhibitor.
class FakeSleepInhibitor : public ISleepInhibitor
{
public:
    struct Record
    {
        int acquired = 0;
        int released = 0;
        bool held = false;
    };

    explicit FakeSleepInhibitor(std::shared_ptr<Record> record)
        : m_record(std::move(record))
    {
    }

    void acquire() override
    {
        ++m_record->acquired;
        m_record->held = true;
    }

    void release() override
    {
        if (!m_record->held)
            return;
        ++m_record->released;
        m_record->held = false;
    }

    bool isHeld() const override { return m_record->held; }

private:
    std::shared_ptr<Record> m_record;
};
