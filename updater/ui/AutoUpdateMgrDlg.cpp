#include "updater/ui/AutoUpdateMgrDlg.h"

#include <unistd.h>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaObject>
#include <cstdio>
#include <filesystem>

#include "platform/Process.h"
#include "updater/core/DownloadTarget.h"
#include "updater/core/FormatNumber.h"
#include "updater/core/IniFile.h"
#include "updater/core/ProgramName.h"
#include "updater/ui/AboutDlg.h"
#include "updater/ui/DialogLayout.h"

namespace {

namespace fs = std::filesystem;

template <typename... Args>
std::string format(const char* fmt, Args... args) {
    const int n = std::snprintf(nullptr, 0, fmt, args...);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    std::snprintf(out.data(), out.size() + 1, fmt, args...);
    return out;
}

}  // namespace

CAutoUpdateMgrDlg::CAutoUpdateMgrDlg(updater::UpdaterSystem& system, QWidget* parent)
    : QDialog(parent), m_hIcon(updater::ProgramIcon()), m_system(system) {
    updater::BuildDialog(102, this);
}

CAutoUpdateMgrDlg::~CAutoUpdateMgrDlg() {
    // A download still running is abandoned: the worker is told, stops at its next
    // notification or within about a second, and is waited for, so nothing it uses
    // goes away under it.
    m_closing = true;
    m_caller.cancel();
    m_stopEvent.set();
    if (m_pDownloadThread.joinable()) {
        m_pDownloadThread.join();
    }
    if (m_progressDlg.IsOpen()) {
        m_progressDlg.DestroyWindow();
    }
}

int CAutoUpdateMgrDlg::RunModal() {
    OnInitDialog();
    if (m_quitRequested) {
        return updater::kQuitExitCode;
    }
    exec();
    return m_quitRequested ? updater::kQuitExitCode : 0;
}

void CAutoUpdateMgrDlg::OnInitDialog() {
    setWindowIcon(m_hIcon);
    m_strProgramName = updater::kProgramName;
    g_bDownloadOk = 1;
    GetAppDirectory();
    RunUpdateCheck();
}

void CAutoUpdateMgrDlg::GetAppDirectory() {
    fs::path exe(m_system.ownModulePath());
    fs::path dir =
        exe.has_parent_path() ? exe.parent_path() : fs::path(platform::currentDirectory());
    m_szAppDir = dir.string();
    if (m_szAppDir.empty() || m_szAppDir.back() != '/') {
        m_szAppDir += '/';
    }
}

std::string CAutoUpdateMgrDlg::MessageBoxTitle() {
    return fs::path(m_system.ownModulePath()).stem().string();
}

void CAutoUpdateMgrDlg::RunUpdateCheck() {
    CIniFile local(m_szAppDir + "version.ini");
    int version = 0;
    std::string url;
    std::string name;
    std::string type;
    local.ReadInt(updater::kSectionConfig, "Version", &version, 0);  // read, never used
    local.ReadString(updater::kSectionConfig, "Url", &url, "");
    local.ReadString(updater::kSectionConfig, "Name", &name, "");
    local.ReadString(updater::kSectionConfig, "Type", &type, "");
    const std::string manifestUrl = updater::BuildManifestUrl(url, name, type);

    if (!m_system.isConnected()) {
        m_system.messageBox(kOfflineText, MessageBoxTitle(), false);
        LaunchProgramAndQuit();
        return;
    }
    std::string cachedPath;
    if (m_system.fetchIntoCache(manifestUrl, cachedPath) != 0) {
        LaunchProgramAndQuit();
        return;
    }
    CIniFile manifest(cachedPath);
    m_updateQueue = updater::BuildUpdateQueue(local, manifest, url);
    m_nTotalFiles = static_cast<int>(m_updateQueue.size());
    if (m_updateQueue.empty()) {
        LaunchProgramAndQuit();
        return;
    }
    if (m_system.messageBox(kPromptText, kPromptCaption, true) != updater::kIdOk) {
        LaunchProgramAndQuit();
        return;
    }
    // Every download would fail in a folder we may not write; say so once, plainly,
    // before ending anything.
    if (!m_system.canWriteTo(m_szAppDir)) {
        m_system.messageBox(std::string(updater::kUpdateFailedText) + "\n" + m_szAppDir,
                            MessageBoxTitle(), false);
        LaunchProgramAndQuit();
        return;
    }
    if (KillRunningProgram(m_strProgramName)) {
        // Wait until it has let go of its files, but no longer than that.
        m_system.waitForProcessEnd(m_endedPid, kEndWaitMs);
    }
    DownloadNextFile();
}

bool CAutoUpdateMgrDlg::KillRunningProgram(const std::string& target) {
    std::vector<platform::ProcessEntry> processes;
    if (!m_system.snapshotProcesses(processes)) {
        return false;
    }
    for (const platform::ProcessEntry& p : processes) {
        if (p.uid != m_system.userId() || p.pid == ::getpid() ||
            !platform::sameNameIgnoringCase(p.exeName, target)) {
            continue;
        }
        if (!m_system.endProcess(p.pid)) {
            return false;
        }
        m_endedPid = p.pid;
        return true;
    }
    return false;
}

bool CAutoUpdateMgrDlg::FindProgramWindow() {
    std::vector<platform::ProcessEntry> processes;
    if (!m_system.snapshotProcesses(processes)) {
        return false;
    }
    for (const platform::ProcessEntry& p : processes) {
        if (p.uid == m_system.userId() &&
            platform::sameNameIgnoringCase(p.exeName, m_strProgramName) &&
            fs::path(p.exePath).parent_path().string() + "/" == m_szAppDir) {
            return true;
        }
    }
    return false;
}

void CAutoUpdateMgrDlg::LaunchProgramAndQuit() {
    if (m_progressDlg.IsOpen()) {
        m_progressDlg.DestroyWindow();
    }
    if (!FindProgramWindow()) {
        m_system.startProgram(m_szAppDir + m_strProgramName, m_szAppDir);
    }
    m_quitRequested = true;
    QMetaObject::invokeMethod(
        this, [this] { done(updater::kQuitExitCode); }, Qt::QueuedConnection);
}

void CAutoUpdateMgrDlg::DownloadNextFile() {
    if (m_updateQueue.empty()) {
        LaunchProgramAndQuit();
        return;
    }
    const UpdateFileEntry entry = m_updateQueue.back();
    std::string dest;
    if (!updater::ResolveDownloadTarget(m_szAppDir, entry.strName, dest)) {
        dest.clear();  // refused: the worker reports it as a failed download
    }
    m_updateQueue.pop_back();
    StartDownload(entry.strUrl, dest, entry.strSection, entry.strKey, entry.strVersion);
}

void CAutoUpdateMgrDlg::StartDownload(std::string url, std::string file, std::string section,
                                      std::string key, std::string version) {
    if (m_pDownloadThread.joinable()) {
        m_stopEvent.set();  // one worker at a time; the sequence never gets here
        return;
    }
    m_downloadParam.hNotifyWnd = &m_notifier;
    m_stopEvent.reset();
    m_downloadParam.hStopEvent = &m_stopEvent;
    m_downloadParam.system = &m_system;
    m_downloadParam.closing = &m_closing;
    m_downloadParam.strUrl = std::move(url);
    m_downloadParam.strFile = std::move(file);
    m_downloadParam.strSection = std::move(section);
    m_downloadParam.strKey = std::move(key);
    m_downloadParam.strVersion = std::move(version);
    if (!m_system.startThread([this] { DownloadThreadProc(&m_downloadParam); },
                              m_pDownloadThread)) {
        // Without a worker nothing more can happen; the search program still starts.
        LaunchProgramAndQuit();
    }
}

int CAutoUpdateMgrDlg::OnDownloadProgress(uintptr_t, const DownloadProgressInfo* info) {
    if (info == nullptr) {
        return 0;
    }
    switch (info->statusCode) {
        case 4: {
            const std::string status = format(kStatusFormat, m_nTotalFiles, m_nCurrentFile);
            ++m_nCurrentFile;
            m_progressDlg.Open(nullptr);
            m_progressDlg.setWindowTitle(QString::fromUtf8(kProgressCaption));
            m_progressDlg.SetStatusText(QString::fromStdString(status));
            m_progressDlg.SetProgressRange(1, static_cast<int64_t>(info->progressMax));
            m_progressDlg.SetProgressStep(1);
            break;
        }
        case 5:
            if (info->progress < info->progressMax) {
                m_progressDlg.SetProgressPos(static_cast<int64_t>(info->progress));
                const std::string bytes = format(
                    kBytesFormat, FormatNumber(static_cast<double>(info->progress), 0).c_str(),
                    FormatNumber(static_cast<double>(info->progressMax), 0).c_str());
                m_progressDlg.SetBytesText(QString::fromStdString(bytes));
            }
            break;
        case 6:
            m_progressDlg.DestroyWindow();
            break;
        default:
            break;
    }
    return 0;
}

int CAutoUpdateMgrDlg::OnDownloadFinished() {
    if (m_pDownloadThread.joinable()) {
        m_pDownloadThread.join();
    }
    if (g_bDownloadOk == 1) {
        WriteLocalFileVersion(m_downloadParam.strSection, m_downloadParam.strKey,
                              m_downloadParam.strVersion);
    }
    // A download cut after its data began never sent its end: close its window here.
    if (m_progressDlg.IsOpen()) {
        m_progressDlg.DestroyWindow();
    }
    DownloadNextFile();
    return 0;
}

void CAutoUpdateMgrDlg::WriteLocalFileVersion(std::string section, std::string key,
                                              std::string value) {
    CIniFile local(m_szAppDir + "version.ini");
    local.WriteString(std::move(section), std::move(key), std::move(value));
}

void CAutoUpdateMgrDlg::keyPressEvent(QKeyEvent* event) {
    // Enter ends the dialog as Escape does: it has no buttons to press.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CAutoUpdateMgrDlg::closeEvent(QCloseEvent* event) {
    if (!isEnabled()) {
        event->ignore();  // a progress window is open
        return;
    }
    QDialog::closeEvent(event);
}

void CAutoUpdateMgrDlg::contextMenuEvent(QContextMenuEvent* event) {
    const QString about = updater::LoadResString(101);
    if (about.isEmpty()) {
        return;
    }
    QMenu menu(this);
    QAction* item = menu.addAction(about);
    if (menu.exec(event->globalPos()) == item) {
        CAboutDlg box(this);
        box.exec();
    }
}

bool CAutoUpdateMgrDlg::Notifier::sendProgress(const DownloadProgressInfo* info) {
    CAutoUpdateMgrDlg* dlg = m_dlg;
    return dlg->m_caller.call([dlg, info] { dlg->OnDownloadProgress(0, info); });
}

void CAutoUpdateMgrDlg::Notifier::showMessage(const std::string& text) {
    CAutoUpdateMgrDlg* dlg = m_dlg;
    dlg->m_caller.call(
        [dlg, text] { dlg->m_system.messageBox(text, dlg->MessageBoxTitle(), false); });
}

void CAutoUpdateMgrDlg::Notifier::postDone() {
    CAutoUpdateMgrDlg* dlg = m_dlg;
    dlg->m_caller.post([dlg] { dlg->OnDownloadFinished(); });
}
