#pragma once

#include <QObject>
#include <QPointer>
#include <QtGlobal>

#include <initializer_list>
#include <limits>
#include <utility>

// Helpers shared by the QML wrappers of the systems library's facades. A wrapper keeps no state of
// its own: it reads and writes through its facade and relays the facade's signals. The facade may
// be missing (library not initialised, or already finalised): reads then give the type's default
// and writes do nothing.
namespace QmlFacadeWrapping {

// Connects every signal that the wrapper's own class declares to the facade's signal of the same
// name and arguments (signal to signal, direct). `renamed` maps a wrapper signal name to a
// differently named facade signal. A wrapper signal without a facade counterpart is logged.
void relaySignals(
    QObject* facade, QObject* wrapper, std::initializer_list<std::pair<const char*, const char*>> renamed = {});

template <typename Facade, typename Result>
Result read(const QPointer<Facade>& facade, Result (Facade::*getter)() const)
{
    return facade ? (facade.data()->*getter)() : Result();
}

template <typename Facade, typename Parameter, typename Value>
void write(const QPointer<Facade>& facade, void (Facade::*setter)(Parameter), Value value)
{
    if (facade)
        (facade.data()->*setter)(value);
}

// QML hands integers over as int; the facade setters take narrower types. Out-of-range values go to
// the nearest end of the setter's range instead of wrapping around (300 would otherwise become 44).
template <typename Target> Target clampTo(int value)
{
    return static_cast<Target>(
        qBound<int>(std::numeric_limits<Target>::min(), value, std::numeric_limits<Target>::max()));
}

} // namespace QmlFacadeWrapping
