#include <QtTest>
#include "CLogger.h"
class tst_CLogger : public QObject { Q_OBJECT private slots: void smoke() { QVERIFY(true); } };
QTEST_GUILESS_MAIN(tst_CLogger)
#include "tst_CLogger.moc"
