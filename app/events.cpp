// events.cpp -- the gate, the recording and the delivery of every input
#include "app/events.h"

#include "app/callbacks.h"
#include "app/recording.h"
#include "app/viewer_state.h"
#include "optics/display.h"

bool takeInput(const InputEvent& event)
{
    if (!inputAdmitted(event))
        return false;
    handleInput(event);
    return true;
}

bool inputAdmitted(const InputEvent& event)
{
    if (scenePlaying())
        return false;
    const bool followsPlayedSize = event.kind == InputEvent::resize && event.a == windowWidth &&
                                   event.b == windowHeight;
    return !(sceneHasPlayed() && followsPlayedSize);
}

void handleInput(const InputEvent& event)
{
    recordInput(event);
    deliverInput(event);
}

void deliverInput(const InputEvent& event)
{
    switch (event.kind) {
    case InputEvent::key: keyboard(static_cast<unsigned char>(event.a), 0, 0); break;
    case InputEvent::press: mouse(event.a, 0, event.b, event.c); break;
    case InputEvent::release: mouse(event.a, 1, event.b, event.c); break;
    case InputEvent::move: motion(event.a, event.b); break;
    case InputEvent::resize: reshape(event.a, event.b); break;
    case InputEvent::redraw: display(); break;
    case InputEvent::check: break; // the player's, not the program's
    case InputEvent::drop: dropAtVertex(event.a, event.b); break;
    }
}
