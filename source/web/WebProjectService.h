#pragma once

#include <QObject>

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// Placeholder until the web screens land.
class WebProjectService : public QObject
{
    Q_OBJECT

public:
    explicit WebProjectService(Tovrin::Web::TovrinWebApi* api, QObject* parent = nullptr);

public slots:
    void resetSessionBackup();
};
