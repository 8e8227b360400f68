#pragma once
// Runs the repaints that are pending now, and nothing else: no input, timer or graph event is handled.
// The layout relies on it so that the controls have repainted before the renderers are moved, and the
// open and close sequences so that the window shows its new state before the next long step.
void PumpPaintMessages();
