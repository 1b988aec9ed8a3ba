// The listener of an object that was given none. Every listener interface
// of the program defaults each method to doing nothing, so one shared
// instance of the interface itself hears every event and drops it.
#pragma once

namespace obr9 {

template <class Listener>
Listener& silentListener()
{
    static Listener none;
    return none;
}

// The given listener, or the silent one when there is none.
template <class Listener>
Listener& listenerOr(Listener* listener)
{
    return listener ? *listener : silentListener<Listener>();
}

} // namespace obr9
