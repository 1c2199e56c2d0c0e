// The download progress window: which file of how many, the bytes received and the
// percentage as text and bar. One object serves every file of a run; while its window
// is open the owner (the main dialog) is disabled, and it is enabled again when the
// window goes.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <cstdint>

class CProgDownloadDlg : public QDialog {
    Q_OBJECT

public:
    // captionId 0 selects the default caption string 106.
    explicit CProgDownloadDlg(unsigned captionId = 0);
    ~CProgDownloadDlg() override;

    // Opens the window for parent (none: the application's main window, the owner).
    // Opening while it is open keeps the open window.
    bool Open(QWidget* parent);
    void SetStatusText(const QString& text);
    void SetBytesText(const QString& text);
    // The bar always shows a percentage of low..high (64-bit: files over 4 GiB).
    void SetProgressRange(int64_t low, int64_t high);
    void SetProgressStep(int step);
    // Returns the bar's previous position.
    int SetProgressPos(int64_t pos);
    void UpdatePercentText(int64_t pos);
    void PumpWaitingMessages();
    void EnableOwnerAgain();
    // Closes the window and enables the owner again.
    void DestroyWindow();

    bool IsOpen() const { return m_open; }
    bool OwnerDisabled() const { return m_bOwnerDisabled; }

protected:
    // Enter and Escape leave the window open and the download running.
    void accept() override {}
    void reject() override {}
    void closeEvent(QCloseEvent* event) override;

private:
    void OnInitDialog();

    QProgressBar* m_progressBar = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_bytesText = nullptr;
    QLabel* m_percentText = nullptr;
    unsigned m_nCaptionId;
    int64_t m_nRangeLow = 0;
    int64_t m_nRangeHigh = 10000;
    int m_nStep = 10;
    bool m_bOwnerDisabled = false;
    bool m_open = false;
    QPointer<QWidget> m_pParentWnd;
};

namespace updater {

// The application's main window: the owner of windows opened without a parent.
void SetAppMainWindow(QWidget* window);
QWidget* AppMainWindow();

}  // namespace updater
