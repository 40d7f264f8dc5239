#include "managers/CSoundManager.h"

CSoundManager::CSoundManager(QObject* parent)
    : QObject(parent)
{
}

void CSoundManager::playClickSound()
{
}
