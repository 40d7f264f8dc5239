#include "photoeditor/CUndoStack.h"

#include <QSignalSpy>
#include <QStringList>
#include <QTest>

namespace {

// Writes every call into a shared journal and counts live instances.
class RecordingCommand : public CUndoCommand
{
public:
    RecordingCommand(QString name, QStringList* journal, int* alive)
        : m_name(std::move(name))
        , m_journal(journal)
        , m_alive(alive)
    {
        ++*m_alive;
    }
    ~RecordingCommand() override { --*m_alive; }
    void undo() override { m_journal->append(QStringLiteral("undo ") + m_name); }
    void redo() override { m_journal->append(QStringLiteral("redo ") + m_name); }

private:
    QString m_name;
    QStringList* m_journal;
    int* m_alive;
};

// Records the order of the stack's signals.
struct SignalJournal
{
    explicit SignalJournal(CUndoStack& stack)
    {
        QObject::connect(&stack, &CUndoStack::canUndoChanged, [this] { entries << QStringLiteral("canUndo"); });
        QObject::connect(&stack, &CUndoStack::canRedoChanged, [this] { entries << QStringLiteral("canRedo"); });
        QObject::connect(&stack, &CUndoStack::cleanChanged, [this] { entries << QStringLiteral("clean"); });
    }
    QStringList take()
    {
        QStringList result = entries;
        entries.clear();
        return result;
    }
    QStringList entries;
};

} // namespace

class tst_CUndoStack : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_journal.clear();
        m_alive = 0;
    }
    void pushRunsTheCommandAndSignals();
    void pushAfterUndoDropsTheRedoTail();
    void undoAndRedoAtTheEndsDoNothing();
    void everyIndexChangeEmitsBothCanSignals();
    void cleanStateFollowsTheIndex();
    void pushBelowTheCleanIndexMakesCleanUnreachable();
    void clearSignalsOnlyWhenThereWasSomething();
    void undoLimitDropsTheOldest();
    void undoLimitKeepsACleanStateAtTheNewBottom();
    void undoLimitIsIgnoredOnANonEmptyStack();
    void setIndexUndoesAndRedoesInOrder();
    void emptyCommandIsIgnored();

private:
    std::shared_ptr<CUndoCommand> command(const QString& name)
    {
        return std::make_shared<RecordingCommand>(name, &m_journal, &m_alive);
    }

    QStringList m_journal;
    int m_alive = 0;
};

void tst_CUndoStack::pushRunsTheCommandAndSignals()
{
    CUndoStack stack;
    SignalJournal signalJournal(stack);
    stack.push(command("a"));
    QCOMPARE(m_journal, QStringList{"redo a"});
    QCOMPARE(signalJournal.take(), (QStringList{"canUndo", "canRedo", "clean"}));
    QVERIFY(stack.canUndo());
    QVERIFY(!stack.canRedo());
    QCOMPARE(stack.count(), 1);
    QCOMPARE(stack.index(), 1);

    stack.push(command("b"), true);
    QCOMPARE(m_journal, QStringList{"redo a"});
    QCOMPARE(signalJournal.take(), (QStringList{"canUndo", "canRedo"}));
}

void tst_CUndoStack::pushAfterUndoDropsTheRedoTail()
{
    CUndoStack stack;
    stack.push(command("a"));
    stack.push(command("b"));
    stack.push(command("c"));
    stack.undo();
    stack.undo();
    QCOMPARE(m_alive, 3);
    stack.push(command("d"));
    QCOMPARE(stack.count(), 2);
    QCOMPARE(stack.index(), 2);
    QCOMPARE(m_alive, 2);
    QVERIFY(!stack.canRedo());
    m_journal.clear();
    stack.redo();
    QVERIFY(m_journal.isEmpty());
    stack.undo();
    stack.undo();
    QCOMPARE(m_journal, (QStringList{"undo d", "undo a"}));
}

void tst_CUndoStack::undoAndRedoAtTheEndsDoNothing()
{
    CUndoStack stack;
    SignalJournal signalJournal(stack);
    stack.undo();
    stack.redo();
    QVERIFY(signalJournal.take().isEmpty());
    stack.push(command("a"));
    signalJournal.take();
    m_journal.clear();
    stack.redo();
    QVERIFY(signalJournal.take().isEmpty());
    stack.undo();
    signalJournal.take();
    stack.undo();
    QVERIFY(signalJournal.take().isEmpty());
    QCOMPARE(m_journal, QStringList{"undo a"});
}

void tst_CUndoStack::everyIndexChangeEmitsBothCanSignals()
{
    CUndoStack stack;
    stack.push(command("a"));
    stack.push(command("b"));
    SignalJournal signalJournal(stack);
    // canUndo stays true and canRedo turns true: both are announced all the same.
    stack.undo();
    QCOMPARE(signalJournal.take(), (QStringList{"canUndo", "canRedo"}));
    stack.redo();
    QCOMPARE(signalJournal.take(), (QStringList{"canUndo", "canRedo"}));
    stack.push(command("c"));
    QCOMPARE(signalJournal.take(), (QStringList{"canUndo", "canRedo"}));
}

void tst_CUndoStack::cleanStateFollowsTheIndex()
{
    CUndoStack stack;
    QVERIFY(stack.isClean());
    SignalJournal signalJournal(stack);
    stack.push(command("a"));
    QVERIFY(!stack.isClean());
    QCOMPARE(signalJournal.take().count("clean"), 1);
    stack.undo();
    QVERIFY(stack.isClean());
    QCOMPARE(signalJournal.take().count("clean"), 1);

    stack.redo();
    signalJournal.take();
    stack.setClean();
    QCOMPARE(signalJournal.take(), QStringList{"clean"});
    stack.setClean();
    QVERIFY(signalJournal.take().isEmpty());
    QVERIFY(stack.isClean());
}

void tst_CUndoStack::pushBelowTheCleanIndexMakesCleanUnreachable()
{
    CUndoStack stack;
    stack.push(command("a"));
    stack.push(command("b"));
    stack.setClean();
    stack.undo();
    stack.undo();
    stack.push(command("c"));
    QVERIFY(!stack.isClean());
    stack.undo();
    QVERIFY(!stack.isClean());
    stack.redo();
    QVERIFY(!stack.isClean());
}

void tst_CUndoStack::clearSignalsOnlyWhenThereWasSomething()
{
    CUndoStack stack;
    SignalJournal signalJournal(stack);
    stack.clear();
    QVERIFY(signalJournal.take().isEmpty());

    stack.push(command("a"));
    stack.setClean();
    signalJournal.take();
    stack.clear();
    QCOMPARE(signalJournal.take(), (QStringList{"canUndo", "canRedo"}));
    QCOMPARE(m_alive, 0);
    QCOMPARE(stack.count(), 0);
    QVERIFY(stack.isClean());

    stack.push(command("b"));
    signalJournal.take();
    stack.clear();
    QCOMPARE(signalJournal.take(), (QStringList{"canUndo", "canRedo", "clean"}));
}

void tst_CUndoStack::undoLimitDropsTheOldest()
{
    CUndoStack stack;
    stack.setUndoLimit(2);
    QCOMPARE(stack.undoLimit(), 2);
    stack.push(command("a"));
    stack.push(command("b"));
    stack.push(command("c"));
    QCOMPARE(stack.count(), 2);
    QCOMPARE(stack.index(), 2);
    QCOMPARE(m_alive, 2);
    m_journal.clear();
    stack.setIndex(0);
    QCOMPARE(m_journal, (QStringList{"undo c", "undo b"}));
    // The clean index (0) fell out with the oldest command.
    QVERIFY(!stack.isClean());
}

void tst_CUndoStack::undoLimitKeepsACleanStateAtTheNewBottom()
{
    // Clean after "a"; pushing "b" and "c" drops exactly "a", so the state after "a" is now
    // the bottom of the stack (index 0) and must still count as clean there.
    CUndoStack stack;
    stack.setUndoLimit(2);
    stack.push(command("a"));
    stack.setClean();
    stack.push(command("b"));
    stack.push(command("c"));
    QCOMPARE(stack.count(), 2);
    QVERIFY(!stack.isClean());
    stack.setIndex(0);
    QVERIFY(stack.isClean());

    // One drop further and the clean state is gone for good.
    stack.setIndex(2);
    stack.push(command("d"));
    stack.setIndex(0);
    QVERIFY(!stack.isClean());
    stack.setIndex(2);
    QVERIFY(!stack.isClean());
}

void tst_CUndoStack::undoLimitIsIgnoredOnANonEmptyStack()
{
    CUndoStack stack;
    stack.push(command("a"));
    stack.setUndoLimit(1);
    QCOMPARE(stack.undoLimit(), 0);
    stack.push(command("b"));
    QCOMPARE(stack.count(), 2);
}

void tst_CUndoStack::setIndexUndoesAndRedoesInOrder()
{
    CUndoStack stack;
    stack.push(command("a"));
    stack.push(command("b"));
    stack.push(command("c"));
    m_journal.clear();
    SignalJournal signalJournal(stack);
    stack.setIndex(-4);
    QCOMPARE(stack.index(), 0);
    QCOMPARE(m_journal, (QStringList{"undo c", "undo b", "undo a"}));
    QCOMPARE(signalJournal.take(), (QStringList{"canUndo", "canRedo", "clean"}));
    m_journal.clear();
    stack.setIndex(10);
    QCOMPARE(stack.index(), 3);
    QCOMPARE(m_journal, (QStringList{"redo a", "redo b", "redo c"}));
    stack.setIndex(3);
    QCOMPARE(signalJournal.take(), (QStringList{"canUndo", "canRedo", "clean"}));
}

void tst_CUndoStack::emptyCommandIsIgnored()
{
    CUndoStack stack;
    SignalJournal signalJournal(stack);
    stack.push(std::shared_ptr<CUndoCommand>());
    QCOMPARE(stack.count(), 0);
    QVERIFY(signalJournal.take().isEmpty());
}

QTEST_GUILESS_MAIN(tst_CUndoStack)
#include "tst_CUndoStack.moc"
