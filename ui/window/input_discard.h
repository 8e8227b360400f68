#pragma once
// Throws away the keyboard and mouse input that queued up while the window was busy (the open sequence
// blocks the window): clicks and keys given to a window that could not react must not act later on a
// window that has changed under them. Nothing of the player's is handled early: graph notifications,
// timer ticks and the player's other posted events that come due meanwhile are held back and posted
// again, in their order, so they run after the caller has finished (the open sequence starts playing
// first). Qt's own bookkeeping (paints, layout, queued calls) runs as usual.

void DiscardPendingInput();
