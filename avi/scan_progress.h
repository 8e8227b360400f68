#pragma once
// What the scene scan needs from the progress popup and from the window that owns it. The scan only
// drives these; the popup itself lives with the user interface.

class IScanProgress {
public:
    virtual ~IScanProgress() = default;
    virtual bool WindowExists() const = 0;
    virtual bool IsVisible() const = 0;
    virtual void ShowNoActivate() = 0;           // make visible without taking the focus, frame redrawn
    virtual void StepPosition() = 0;             // advance the bar by its step
    virtual void SetPosition(int position) = 0;
    virtual void PumpMessages(bool escapeCancels) = 0;
    virtual bool IsCancelled() const = 0;
};

class IScanOwner {
public:
    virtual ~IScanOwner() = default;
    // A modal box with the error icon, owned by this window.
    virtual void ShowErrorBox(const char* text, const char* title) = 0;
};
