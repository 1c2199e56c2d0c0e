// The updater's main dialog, which carries the whole run: the version check before it
// first shows, the prompt, ending a running search program, the downloads one by one
// with their progress window, recording the new versions, and starting the search
// program at the end.
#pragma once

#include <QDialog>
#include <QIcon>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/Sync.h"
#include "updater/core/DownloadWorker.h"
#include "updater/core/UpdateQueue.h"
#include "updater/core/UpdaterSystem.h"
#include "updater/ui/ProgDownloadDlg.h"
#include "updater/ui/UiCaller.h"

class CAutoUpdateMgrDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr char kOfflineText[] =
        "인터넷 연결이 정상적으로 이루어지지 않아 업데이트를 중지하였습니다. \n인터넷 설정을 "
        "확인 하신후 다시 시도하십시오.";
    static constexpr char kPromptText[] =
        "새로운 업데이트 버전이 있습니다\n\n업데이트 하시겠습니까?";
    static constexpr char kPromptCaption[] = "업데이트";
    static constexpr char kProgressCaption[] = "업데이트 중...";
    static constexpr char kStatusFormat[] = "총 %d개 파일 중 %d번째 파일 다운로드중...";
    static constexpr char kBytesFormat[] = "%sByte / %sByte";
    // How long an ended search program gets to let go of its files.
    static constexpr uint32_t kEndWaitMs = 3000;

    explicit CAutoUpdateMgrDlg(updater::UpdaterSystem& system, QWidget* parent = nullptr);
    ~CAutoUpdateMgrDlg() override;

    // Initialises (which runs the check) and then runs the modal loop unless the run has
    // already ended. 18 once the search program was started (or found); 0 when the
    // dialog was closed first.
    int RunModal();

    void OnInitDialog();
    void GetAppDirectory();
    void RunUpdateCheck();
    // Ends the first process of this user whose executable's file name is target
    // (whole name, any letter case). True when one was ended.
    bool KillRunningProgram(const std::string& target);
    // Whether the search program of this program directory already runs for this user.
    bool FindProgramWindow();
    void LaunchProgramAndQuit();
    void DownloadNextFile();
    void StartDownload(std::string url, std::string file, std::string section, std::string key,
                       std::string version);
    int OnDownloadProgress(uintptr_t wParam, const DownloadProgressInfo* info);
    int OnDownloadFinished();
    void WriteLocalFileVersion(std::string section, std::string key, std::string value);

    int currentFile() const { return m_nCurrentFile; }
    int totalFiles() const { return m_nTotalFiles; }
    const std::vector<UpdateFileEntry>& updateQueue() const { return m_updateQueue; }
    const std::string& appDir() const { return m_szAppDir; }
    CProgDownloadDlg& progressDlg() { return m_progressDlg; }
    bool quitRequested() const { return m_quitRequested; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The window menu's About item (string 101) lives in the context menu here.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The worker's view of this dialog: blocking calls and posts onto this thread.
    class Notifier : public DownloadNotifier {
    public:
        explicit Notifier(CAutoUpdateMgrDlg* dlg) : m_dlg(dlg) {}
        bool sendProgress(const DownloadProgressInfo* info) override;
        void showMessage(const std::string& text) override;
        void postDone() override;

    private:
        CAutoUpdateMgrDlg* m_dlg;
    };

    std::string MessageBoxTitle();

    int m_nCurrentFile = 1;
    int m_nTotalFiles = 0;
    std::string m_strProgramName;
    CProgDownloadDlg m_progressDlg{0};
    std::string m_szAppDir;  // ends with "/"
    QIcon m_hIcon;
    std::vector<UpdateFileEntry> m_updateQueue;
    std::thread m_pDownloadThread;
    DownloadParam m_downloadParam;
    platform::Event m_stopEvent{false, false};
    std::atomic<bool> m_closing{false};  // read by the worker: the dialog is going away
    updater::UpdaterSystem& m_system;
    updater::UiCaller m_caller{this};
    Notifier m_notifier{this};
    bool m_quitRequested = false;
    pid_t m_endedPid = 0;
};
