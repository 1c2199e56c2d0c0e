#include "updater/core/DownloadWorker.h"

#include <filesystem>

int g_bDownloadOk = 1;

namespace {

bool isClosing(const std::atomic<bool>* closing) {
    return closing != nullptr && closing->load();
}

}  // namespace

CBSCallbackImpl::CBSCallbackImpl(DownloadNotifier* notifyWnd, platform::Event* stopEvent,
                                 const std::atomic<bool>* closing)
    : m_hNotifyWnd(notifyWnd), m_hStopEvent(stopEvent), m_closing(closing) {}

int CBSCallbackImpl::OnProgress(uint64_t progress, uint64_t progressMax, int statusCode) {
    if (statusCode < 1 || statusCode > 25) {
        statusCode = 26;
    }
    if (isClosing(m_closing)) {
        return updater::kE_ABORT;
    }
    if (m_hNotifyWnd != nullptr) {
        DownloadProgressInfo info;
        info.progress = progress;
        info.progressMax = progressMax;
        info.statusCode = statusCode;
        m_hNotifyWnd->sendProgress(&info);
    }
    // wait(0) tests the auto-reset event and resets it.
    if (m_hStopEvent != nullptr && m_hStopEvent->wait(0)) {
        if (m_hNotifyWnd != nullptr) {
            m_hNotifyWnd->sendProgress(nullptr);
        }
        return updater::kE_ABORT;
    }
    return isClosing(m_closing) ? updater::kE_ABORT : updater::kS_OK;
}

int DownloadThreadProc(DownloadParam* param) {
    CBSCallbackImpl callback(param->hNotifyWnd, param->hStopEvent, param->closing);
    updater::UpdaterSystem& system = *param->system;
    bool ok = false;
    if (!param->strFile.empty() && system.isConnected()) {
        system.debugOutput(param->strUrl);
        system.deleteCacheEntry(param->strUrl);
        // A name in a sub-folder may need that folder first.
        std::error_code ec;
        const std::filesystem::path parent = std::filesystem::path(param->strFile).parent_path();
        if (!parent.empty()) {
            std::filesystem::create_directories(parent, ec);
        }
        const int rc = system.downloadToFile(
            param->strUrl, param->strFile,
            [&](uint64_t progress, uint64_t progressMax, int statusCode) {
                return callback.OnProgress(progress, progressMax, statusCode) == updater::kS_OK;
            },
            [&] { return !isClosing(param->closing); });
        ok = rc == 0;
    }
    if (!ok) {
        if (!isClosing(param->closing)) {
            param->hNotifyWnd->showMessage(updater::kUpdateFailedText);
        }
        g_bDownloadOk = 0;
    }
    param->hNotifyWnd->postDone();
    return 0;
}
