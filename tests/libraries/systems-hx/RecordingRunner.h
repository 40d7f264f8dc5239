#pragma once

// A runner that notes every command handed to it (type, plus the value of set commands) and
// passes it on to a real runner.

#include "hx/CAbstractSetCommand.h"
#include "hx/CTetronCommandRunner.h"

#include <QStringList>

class RecordingRunner : public Ulx::Communication::ITetronCommandRunner
{
public:
    explicit RecordingRunner(Ulx::Communication::CTetronCommandRunner* runner)
        : m_runner(runner)
    {
    }

    void enqueueCommand(Ulx::Communication::CAbstractTetronCommand* command) override
    {
        QString name = Ulx::Communication::CAbstractTetronCommand::typeName(command->type());
        if (auto* set = qobject_cast<Ulx::Communication::CAbstractSetCommand*>(command)) {
            const QString url = set->requestUrl();
            const int value = url.indexOf(QLatin1String("&value="));
            if (value >= 0)
                name += QLatin1Char('(') + url.mid(value + 7) + QLatin1Char(')');
        }
        names.append(name);
        m_runner->enqueueCommand(command);
    }

    QStringList names;

private:
    Ulx::Communication::CTetronCommandRunner* m_runner;
};
