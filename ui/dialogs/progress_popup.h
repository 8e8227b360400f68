#pragma once
// CProgressPopup: a small top-most window that shows how far a long operation run on the GUI thread has
// got: the caption "<title> [N%]", a message line, a bar and a Cancel button. While modal it disables the
// window that owns it; the operation advances the bar and calls PumpMessages now and then so the user can
// cancel (Cancel button, or Esc when the operation allows it), then polls IsCancelled().
//
//   CProgressPopup(QWidget* owner, const QString& caption, bool smooth);   // creates the window at once
//   ~CProgressPopup();                          // re-enables the disabled owner, even after a cancel
//   bool Create(QWidget* owner, const QString& caption, bool smooth);
//   bool BeginModal(const QString& caption = "Progress", bool smooth = false);   // show, disable owner chain
//   void SetRange(int lower, int upper, int step);
//   void SetPosition(int position);             // caption percentage, bar position
//   void StepPosition();                        // SetPosition(Position() + step)
//   void SetMessageText(const char* format, ...);   // printf-style, at most 511 characters
//   void PumpMessages(bool escapeCancels);      // dispatch pending events; Esc / click on Cancel cancel
//   void OnCancelClicked();                     // cancelled, hidden, close posted, main window raised
//   void DestroyWindow();                       // leaves modal (owner re-enabled); WindowExists() false
//   bool IsCancelled() const;  bool WindowExists() const;  bool IsVisible() const;  void ShowNoActivate();
//   read access: IsModal(), DisabledWindow(), Position(), BarPosition(), PercentShown(), Title(),
//                Lower(), Upper(), Step(), MessageText(), CancelButton(), Bar(), MessageLabel(), IsPumping()
//
// The popup is a child window of its owner (it stays above it and is deleted with it). The owner deletes
// it when the operation ends (a std::unique_ptr member is fine). Never delete it from a handler that runs
// inside PumpMessages (IsPumping() true): call OnCancelClicked() instead; the operation then returns at its
// next poll and its caller deletes the popup.
//
// SetPosition returns nothing: the operation never needs the bar's previous position, and BarPosition()
// reads it beforehand when a caller does.

#include "avi/scan_progress.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

class CProgressPopup : public QWidget, public IScanProgress {
    Q_OBJECT
public:
    CProgressPopup(QWidget* owner, const QString& caption, bool smooth);
    ~CProgressPopup() override;
    CProgressPopup(const CProgressPopup&) = delete;
    CProgressPopup& operator=(const CProgressPopup&) = delete;

    bool Create(QWidget* owner, const QString& caption, bool smooth);
    bool BeginModal(const QString& caption = QStringLiteral("Progress"), bool smooth = false);
    void SetRange(int lower, int upper, int step);
    void SetPosition(int position) override;
    void StepPosition() override;
    [[gnu::format(printf, 2, 3)]] void SetMessageText(const char* format, ...);
    void PumpMessages(bool escapeCancels) override;
    void OnCancelClicked();
    void DestroyWindow();

    bool WindowExists() const override { return m_bCreated; }
    bool IsVisible() const override { return isVisible(); }
    void ShowNoActivate() override;
    bool IsCancelled() const override { return m_bCancelled; }

    bool IsModal() const { return m_bModal; }
    QWidget* DisabledWindow() const { return m_pDisabledWindow; }
    int Position() const { return m_nPosition; }
    int BarPosition() const;
    int PercentShown() const { return m_nPercentShown; }
    int Lower() const { return m_nLower; }
    int Upper() const { return m_nUpper; }
    int Step() const { return m_nStep; }
    QString Title() const { return m_title; }
    QString MessageText() const;
    QPushButton* CancelButton() const { return m_pCancel; }
    QProgressBar* Bar() const { return m_pBar; }
    QLabel* MessageLabel() const { return m_pMessage; }
    bool IsPumping() const { return m_nPumpDepth > 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Layout(int lines, int width);
    void ApplyBarStyle(bool smooth, int barHeight);
    void CentreOverOwner();
    void FocusIfModal();
    QWidget* MainWindow() const;

    QPointer<QWidget> m_pDisabledWindow;
    bool m_bCancelled = false;
    bool m_bModal = false;
    int m_nPosition = 0;
    int m_nPercentShown = 0;
    int m_nStep = 1;
    int m_nUpper = 100;
    int m_nLower = 0;
    int m_nMessageLines = 2;
    QLabel* m_pMessage = nullptr;       // children of the popup: Qt deletes them with it
    QProgressBar* m_pBar = nullptr;
    QPushButton* m_pCancel = nullptr;
    QString m_title = QStringLiteral("Progress");
    QString m_cancelText = QStringLiteral(" Cancel ");
    QFont m_font;
    QPointer<QWidget> m_pOwner;         // kept so BeginModal can create the window again after DestroyWindow
    bool m_bCreated = false;
    bool m_bSmooth = false;
    bool m_bEscapeCancels = false;      // of the PumpMessages call running
    int m_nPumpDepth = 0;
};
