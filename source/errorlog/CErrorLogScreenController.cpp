#include "errorlog/CErrorLogScreenController.h"

#include "errorlog/CErrorLogModel.h"

#include "CUlxSystemsLibrary.h"
#include "systemcontrol/CSystemReadouts.h"

CErrorLogScreenController::CErrorLogScreenController(QObject* parent)
    : CErrorLogScreenController(Ulx::CUlxSystemsLibrary::systemReadouts(), parent)
{
}

CErrorLogScreenController::CErrorLogScreenController(Ulx::SystemControl::CSystemReadouts* readouts,
                                                     QObject* parent)
    : QObject(parent)
    , m_model(new CErrorLogModel())
    , m_readouts(readouts)
{
    if (m_readouts)
        connect(m_readouts, &Ulx::SystemControl::CSystemReadouts::errorLogDataChanged, this,
                &CErrorLogScreenController::onErrorLogDataChanged);
}

CErrorLogScreenController::~CErrorLogScreenController()
{
    delete m_model;
}

QAbstractListModel* CErrorLogScreenController::errorLogModel() const
{
    return m_model;
}

void CErrorLogScreenController::requestErrorLog()
{
    if (m_readouts)
        m_readouts->requestErrorLog();
}

void CErrorLogScreenController::onErrorLogDataChanged()
{
    if (m_readouts)
        m_model->setErrorLog(m_readouts->errorLogData());
}
