// The download worker: fetches one file while reporting progress to the main dialog
// through blocking calls, shows its failure message through the dialog, and tells the
// dialog when the attempt has ended. CBSCallbackImpl turns transfer progress into
// those reports and aborts the transfer when asked to stop.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/Sync.h"
#include "updater/core/UpdaterSystem.h"

namespace updater {

inline constexpr char kUpdateFailedText[] = "업데이트에 실패하였습니다";

// Results of CBSCallbackImpl::OnProgress.
inline constexpr int kS_OK = 0;
inline constexpr int kE_ABORT = 1;

}  // namespace updater

// One status notification; lives on the worker's stack while the dialog reads it.
struct DownloadProgressInfo {
    uint64_t progress = 0;     // bytes received so far (64-bit: files over 4 GiB show right)
    uint64_t progressMax = 0;  // total bytes; 0 when the server gave no size
    int32_t statusCode = 0;    // 4 begin of data, 5 data arriving, 6 end of data
};

// The main dialog as the worker sees it. Every call comes from the worker's thread.
class DownloadNotifier {
public:
    virtual ~DownloadNotifier() = default;
    // UM_DOWNLOAD_PROGRESS: runs the dialog's handler and waits for it; info null means
    // the download is being stopped. False when the dialog no longer answers.
    virtual bool sendProgress(const DownloadProgressInfo* info) = 0;
    // A message box shown by the dialog's thread while the worker waits.
    virtual void showMessage(const std::string& text) = 0;
    // UM_DOWNLOAD_DONE: posted, not waited for; the worker's last act.
    virtual void postDone() = 0;
};

// Handed to the worker by address; a member of the main dialog, so it outlives it.
struct DownloadParam {
    DownloadNotifier* hNotifyWnd = nullptr;
    platform::Event* hStopEvent = nullptr;
    updater::UpdaterSystem* system = nullptr;
    const std::atomic<bool>* closing = nullptr;  // set when the dialog goes away
    std::string strUrl;
    std::string strFile;  // empty: the manifest name was refused, the download fails
    std::string strSection;
    std::string strKey;
    std::string strVersion;
};

// 1 until a download of this run fails. Written by the worker, read by the window
// thread only after it has joined the worker.
extern int g_bDownloadOk;

class CBSCallbackImpl {
public:
    CBSCallbackImpl(DownloadNotifier* notifyWnd, platform::Event* stopEvent,
                    const std::atomic<bool>* closing);

    // Passes the notification to the dialog (codes outside 1..25 become 26); kE_ABORT
    // when the stop event was set or the dialog is going away.
    int OnProgress(uint64_t progress, uint64_t progressMax, int statusCode);

private:
    DownloadNotifier* m_hNotifyWnd;
    platform::Event* m_hStopEvent;
    const std::atomic<bool>* m_closing;
};

// The worker's body: one download attempt; always ends with postDone. Returns 0.
int DownloadThreadProc(DownloadParam* param);
