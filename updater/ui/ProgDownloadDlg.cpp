#include "updater/ui/ProgDownloadDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include "updater/core/FormatNumber.h"
#include "updater/ui/DialogLayout.h"

namespace updater {

namespace {
QPointer<QWidget> g_mainWindow;
}

void SetAppMainWindow(QWidget* window) {
    g_mainWindow = window;
}
QWidget* AppMainWindow() {
    return g_mainWindow;
}

}  // namespace updater

CProgDownloadDlg::CProgDownloadDlg(unsigned captionId)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_nCaptionId(captionId != 0 ? captionId : 106) {
    const QHash<int, QWidget*> controls = updater::BuildDialog(103, this);
    m_statusText = qobject_cast<QLabel*>(controls.value(1001));
    m_bytesText = qobject_cast<QLabel*>(controls.value(1005));
    m_percentText = qobject_cast<QLabel*>(controls.value(1004));
    m_progressBar = qobject_cast<QProgressBar*>(controls.value(1003));
    // The percentage label is narrow in the template; let "100%" show whole.
    m_percentText->setMinimumWidth(m_percentText->width());
    m_percentText->adjustSize();
}

CProgDownloadDlg::~CProgDownloadDlg() {
    if (m_open) {
        DestroyWindow();
    }
}

bool CProgDownloadDlg::Open(QWidget* parent) {
    if (m_open) {
        return true;
    }
    m_pParentWnd = parent != nullptr ? parent->window() : updater::AppMainWindow();
    if (m_pParentWnd != nullptr && m_pParentWnd->isEnabled()) {
        m_pParentWnd->setEnabled(false);
        m_bOwnerDisabled = true;
    }
    OnInitDialog();
    show();
    m_open = true;
    return true;
}

void CProgDownloadDlg::OnInitDialog() {
    m_progressBar->setRange(static_cast<int>(m_nRangeLow & 0xFFFF),
                            static_cast<int>(m_nRangeHigh & 0xFFFF));
    m_progressBar->setValue(static_cast<int>(m_nRangeLow & 0xFFFF));
    setWindowTitle(updater::LoadResString(static_cast<int>(m_nCaptionId)));
}

void CProgDownloadDlg::SetStatusText(const QString& text) {
    m_statusText->setText(text);
}

void CProgDownloadDlg::SetBytesText(const QString& text) {
    m_bytesText->setText(text);
}

void CProgDownloadDlg::SetProgressRange(int64_t low, int64_t high) {
    m_nRangeLow = low;
    m_nRangeHigh = high;
    m_progressBar->setRange(0, 100);
}

void CProgDownloadDlg::SetProgressStep(int step) {
    m_nStep = step;
}

int CProgDownloadDlg::SetProgressPos(int64_t pos) {
    PumpWaitingMessages();
    const int previous = m_progressBar->value();
    // A negative percentage (a position below the range) shows an empty bar.
    m_progressBar->setValue(ProgressPercent(pos, m_nRangeLow, m_nRangeHigh));
    UpdatePercentText(pos);
    return previous;
}

void CProgDownloadDlg::UpdatePercentText(int64_t pos) {
    m_percentText->setText(QString("%1%").arg(ProgressPercent(pos, m_nRangeLow, m_nRangeHigh)));
    m_percentText->adjustSize();
}

void CProgDownloadDlg::PumpWaitingMessages() {
    QCoreApplication::processEvents();
}

void CProgDownloadDlg::EnableOwnerAgain() {
    if (m_bOwnerDisabled && m_pParentWnd != nullptr) {
        m_pParentWnd->setEnabled(true);
    }
    m_bOwnerDisabled = false;
}

void CProgDownloadDlg::DestroyWindow() {
    EnableOwnerAgain();
    hide();
    m_open = false;
}

void CProgDownloadDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}
