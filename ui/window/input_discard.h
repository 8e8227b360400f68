#pragma once
// Throws away the keyboard and mouse input that queued up while the window was busy (the open sequence
// blocks the window): clicks and keys given to a window that could not react must not act later on a
// window that has changed under them. Everything else that is pending is handled as usual.

void DiscardPendingInput();
