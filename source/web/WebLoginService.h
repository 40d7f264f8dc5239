#pragma once

#include <QObject>

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// Placeholder until the web screens land.
class WebLoginService : public QObject
{
    Q_OBJECT

public:
    explicit WebLoginService(Tovrin::Web::TovrinWebApi* api, QObject* parent = nullptr);

signals:
    void logoutSucceeded();
};
