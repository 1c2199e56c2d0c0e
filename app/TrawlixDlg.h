// The Trawlix main dialog: takes the term, starts and stops the four workers, switches
// between the start page and the result page, shows the results the workers add and
// opens one on a double-click. The shared search state lives in app/state (no Qt); the
// dialog owns it and is its only window.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <memory>

#include "app/state/SearchControl.h"
#include "app/state/SearchState.h"
#include "platform/qt/Dialog.h"

class CButtonST;
class CEditTrans;
class CNoFlickerStatic;
class CPictureEx;
class CWinXPButtonST;
class QLabel;
namespace platform {
class CListView;
}

// Control ids of template 102.
enum : int {
    IDC_EDIT_TERM = 1000,
    IDC_LIST_RESULTS = 1001,
    IDC_BTN_SEARCH = 1002,
    IDC_STC_FRAME = 1003,
    IDC_PIC_BUSY = 1006,
    IDC_STC_BUSY = 1007,
    IDC_STC_SUMMARY = 1008,
    IDC_STC_LOGO = 1009,
    IDC_STC_INTRO = 1010,
    IDC_CHK_EXCLUDE_LOCAL = 1011,
    IDC_STC_WEB_STATUS = 1012,
    IDC_STC_LOCAL_STATUS = 1013,
    IDC_BTN_INQUIRY = 1014,
    IDC_BTN_CLOSE = 2,
};

inline constexpr int IDD_TRAWLIX_DIALOG = 102;
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDM_ABOUTBOX = 16;
inline constexpr int IDB_LOGO = 133;
inline constexpr int IDB_BACKGROUND = 134;
inline constexpr int IDB_CLOSE = 135;
inline constexpr int IDI_CHECK_ON = 140;
inline constexpr int IDI_CHECK_OFF = 141;
inline constexpr int IDR_MAINFRAME = 127;
inline constexpr int IDR_BUSY_GIF = 130;

// The vendor's web host of the inquiry page (only the path "/software" is fixed).
inline constexpr char kVendorHost[] = "www.trawlix.example";

class CTrawlixDlg : public platform::CDialogBase {
    Q_OBJECT
public:
    explicit CTrawlixDlg(QWidget* parent = nullptr);
    ~CTrawlixDlg() override;

    // The procedures the four workers run: the real ones unless replaced (tests).
    void SetWorkerProcs(WorkerProcs procs) { m_procs = std::move(procs); }
    // The bitmap the layout needs; a test may empty it to see the template's look.
    void SetBackgroundBitmapId(int id) { m_backgroundId = id; }

    const std::shared_ptr<SearchState>& State() const { return m_state; }

    void DestroyWindow() override;

    // The search operations (dialog's thread).
    void StartSearch(const QString& text);
    void StopSearch();
    void UpdateSearchStatus();
    void OnSysCommand(int id);

protected:
    bool OnInitDialog() override;
    QWidget* CreateControl(const platform::ControlSpec& desc) override;
    void OnMessage(uint32_t message, uint64_t wParam, int64_t lParam) override;
    void OnCommand(int id) override;
    void OnListDoubleClick(int id, int row) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* e) override;

private:
    void DoDataExchange();
    void SetUpResultList();
    void OnBnClickedSearch();
    void OnBnClickedCancel();
    void OnBnClickedInquiry();
    void OnSearchEvent(uint32_t code, int64_t param);
    void OnResultDblClk(int row);
    void ApplyControlColours();
    void SetUpButtonColours();

    QFont m_fontText;
    QFont m_fontButton;
    QColor m_brushFrame{255, 128, 0};
    int m_nWindowWidth = 0;
    int m_nWindowHeight = 0;
    int m_nCaptionHeight = 0;
    QPixmap m_bmpBackground;
    QIcon m_hIcon;
    // m_results, m_searchTerm, m_localStatus and m_webStatus, shared with the workers.
    std::shared_ptr<SearchState> m_state;
    WorkerProcs m_procs;
    int m_backgroundId = IDB_BACKGROUND;
    bool m_destroyed = false;
    bool m_skinned = false;  // the layout steps ran: the buttons have the dialog's colours

    CEditTrans* m_editTerm = nullptr;
    CWinXPButtonST* m_btnSearch = nullptr;
    CButtonST* m_btnClose = nullptr;
    platform::CListView* m_listResults = nullptr;
    CPictureEx* m_picBusy = nullptr;
    QLabel* m_stcFrame = nullptr;
    QLabel* m_stcBusy = nullptr;
    CNoFlickerStatic* m_stcLocalStatus = nullptr;
    QLabel* m_stcWebStatus = nullptr;
    QLabel* m_stcSummary = nullptr;
    QLabel* m_stcLogo = nullptr;
    QLabel* m_stcIntro = nullptr;
    CButtonST* m_chkExcludeLocal = nullptr;
    CWinXPButtonST* m_btnInquiry = nullptr;
};

// Makes the embedded resources (res/) available; call once before the first dialog.
void InitTrawlixResources();
