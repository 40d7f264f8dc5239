#include "input/InputValueProxyValidator.h"

InputValueProxyValidator::InputValueProxyValidator(QObject* parent)
    : QObject(parent)
{
}
