#pragma once

#include <QAbstractListModel>
#include <QObject>
#include <QPointer>

class CErrorLogModel;

namespace Ulx {
namespace SystemControl {
class CSystemReadouts;
}
} // namespace Ulx

// The error log screen's controller: asks the connected system for its error log and lists
// every answer, whoever asked for it. Created by QML; owns its model. The readouts facade
// belongs to the systems library. GUI thread.
class CErrorLogScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* errorLogModel READ errorLogModel CONSTANT)

public:
    explicit CErrorLogScreenController(QObject* parent = nullptr);
    CErrorLogScreenController(Ulx::SystemControl::CSystemReadouts* readouts, QObject* parent);
    ~CErrorLogScreenController() override;

    QAbstractListModel* errorLogModel() const;

    Q_INVOKABLE void requestErrorLog();

public slots:
    void onErrorLogDataChanged();

private:
    CErrorLogModel* m_model = nullptr;
    QPointer<Ulx::SystemControl::CSystemReadouts> m_readouts;
};
