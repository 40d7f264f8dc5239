#pragma once

#include <QObject>

// Sound feedback for QML ("soundManager"). A click plays nothing; the screens call it anyway,
// so that a sound can be added here without touching them.
class CSoundManager : public QObject
{
    Q_OBJECT

public:
    explicit CSoundManager(QObject* parent = nullptr);

    Q_INVOKABLE void playClickSound();
};
