#include "ui/window/message_box.h"

#include "avi/last_error.h"

#include <QString>

namespace {

IMessageBoxPresenter* g_presenter = nullptr;   // nullptr: the real boxes

IMessageBoxPresenter& Presenter()
{
    return g_presenter != nullptr ? *g_presenter : DefaultMessageBoxPresenter();
}

class CForwardingPresenter final : public IMessageBoxPresenter {
public:
    void ShowMessage(QWidget* owner, const QString& text, const QString& title, QMessageBox::Icon icon) override
    {
        Presenter().ShowMessage(owner, text, title, icon);
    }
    bool Ask(QWidget* owner, const QString& text, const QString& title) override
    {
        return Presenter().Ask(owner, text, title);
    }
};

}  // namespace

IMessageBoxPresenter* SetMessagePresenter(IMessageBoxPresenter* presenter)
{
    IMessageBoxPresenter* previous = g_presenter;
    g_presenter = presenter;
    return previous;
}

IMessageBoxPresenter& CurrentMessagePresenter()
{
    static CForwardingPresenter forwarding;
    return forwarding;
}

void ShowErrorBox(QWidget* owner, const char* text, const char* title)
{
    Presenter().ShowMessage(owner, QString::fromUtf8(text), QString::fromUtf8(title), QMessageBox::Critical);
}

void ShowInformationBox(QWidget* owner, const char* text, const char* title)
{
    Presenter().ShowMessage(owner, QString::fromUtf8(text), QString::fromUtf8(title), QMessageBox::Information);
}

bool AskQuestion(QWidget* owner, const char* text, const char* title)
{
    return Presenter().Ask(owner, QString::fromUtf8(text), QString::fromUtf8(title));
}

void ShowLastErrorBox(QWidget* owner, const char* message)
{
    const std::string text = LastErrorMessage(message);
    ShowErrorBox(owner, text.c_str(), "Error!");
}

void ShowLastErrorBox(QWidget* owner, const char* message, const std::string& detail)
{
    const std::string text = LastErrorMessage(message, detail);
    ShowErrorBox(owner, text.c_str(), "Error!");
}
