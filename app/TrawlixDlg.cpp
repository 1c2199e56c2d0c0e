#include "app/TrawlixDlg.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>

#include "app/AboutDlg.h"
#include "app/TrawlixControls.h"
#include "app/TrawlixTexts.h"
#include "controls/CButtonST.h"
#include "controls/CEditTrans.h"
#include "controls/CNoFlickerStatic.h"
#include "controls/CPictureEx.h"
#include "controls/CWinXPButtonST.h"
#include "localsearch/LocalSearch.h"
#include "platform/Text.h"
#include "platform/qt/ListView.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/Resources.h"
#include "platform/qt/Shell.h"
#include "websearch/Sources.h"

void InitTrawlixResources() {
    Q_INIT_RESOURCE(trawlix);
}

namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Narrow (code page 949) text of the state, shown as wide text.
QString fromAnsi(const std::string& narrow) {
    return QString::fromStdU16String(platform::fromAnsi(narrow));
}

// Posts the workers' messages to the dialog's window; fails quietly once it is gone.
class DialogPoster : public SearchEventPoster {
public:
    explicit DialogPoster(platform::WindowHandle handle) : m_handle(std::move(handle)) {}
    bool postSearchEvent(uint32_t code, int64_t param) override {
        return m_handle.PostMessage(UM_SEARCH_EVENT, code, param);
    }

private:
    platform::WindowHandle m_handle;
};

QFont textFont() {
    QFont f;
    // The design's face first; a Korean face of this system where it is missing.
    f.setFamilies({qs("맑은 고딕"), QStringLiteral("NanumGothic"), QStringLiteral("Sans")});
    f.setPixelSize(22);
    f.setWeight(QFont::Normal);
    return f;
}

// A flat button in `back` with white text, away from the pointer and with the focus;
// hovered it keeps the system button colours, brightened.
void setFlatColours(CButtonST& b, const QColor& back) {
    b.OnSysColorChange();
    b.SetFlatStyle(true);
    b.SetStateColor(CButtonST::CLR_BK_NORMAL, back);
    b.SetStateColor(CButtonST::CLR_FG_NORMAL, Qt::white);
    b.SetStateColor(CButtonST::CLR_BK_FOCUS, back);
    b.SetStateColor(CButtonST::CLR_FG_FOCUS, Qt::white);
    b.BrightenHoverColor();
}

// A 14 x 14 face of an icon resource, with its alpha.
QImage iconFace(int id) {
    const QIcon icon = platform::LoadIcon(id);
    return icon.isNull() ? QImage() : icon.pixmap(QSize(14, 14)).toImage();
}

}  // namespace

CTrawlixDlg::CTrawlixDlg(QWidget* parent)
    : platform::CDialogBase(IDD_TRAWLIX_DIALOG, parent),
      m_state(std::make_shared<SearchState>(std::make_shared<DialogPoster>(Handle()))),
      m_procs{EngineSourceProc, LocalSearchProc, TorrentSourceProc, FormSourceProc} {
    m_hIcon = platform::LoadIcon(IDR_MAINFRAME);
}

CTrawlixDlg::~CTrawlixDlg() {
    DestroyWindow();
}

QWidget* CTrawlixDlg::CreateControl(const platform::ControlSpec& desc) {
    return CreateTrawlixControl(desc, this);
}

void CTrawlixDlg::DoDataExchange() {
    m_editTerm = Item<CEditTrans>(IDC_EDIT_TERM);
    m_btnSearch = Item<CWinXPButtonST>(IDC_BTN_SEARCH);
    m_btnClose = Item<CButtonST>(IDC_BTN_CLOSE);
    m_listResults = Item<platform::CListView>(IDC_LIST_RESULTS);
    m_picBusy = Item<CPictureEx>(IDC_PIC_BUSY);
    m_stcFrame = Item<QLabel>(IDC_STC_FRAME);
    m_stcBusy = Item<QLabel>(IDC_STC_BUSY);
    m_stcLocalStatus = Item<CNoFlickerStatic>(IDC_STC_LOCAL_STATUS);
    m_stcWebStatus = Item<QLabel>(IDC_STC_WEB_STATUS);
    m_stcSummary = Item<QLabel>(IDC_STC_SUMMARY);
    m_stcLogo = Item<QLabel>(IDC_STC_LOGO);
    m_stcIntro = Item<QLabel>(IDC_STC_INTRO);
    m_chkExcludeLocal = Item<CButtonST>(IDC_CHK_EXCLUDE_LOCAL);
    m_btnInquiry = Item<CWinXPButtonST>(IDC_BTN_INQUIRY);
}

bool CTrawlixDlg::OnInitDialog() {
    DoDataExchange();
    if (!m_editTerm || !m_btnSearch || !m_listResults || !m_chkExcludeLocal) {
        return true;  // a layout without the controls: nothing to set up
    }
    // 1. The icon (the about item lives in the window's context menu here).
    setWindowIcon(m_hIcon);
    // Workers read the box's text from this copy, never through the window.
    connect(m_editTerm, &CEditTrans::textChanged, this,
            [this](const QString& t) { m_state->setEditText(t.toStdU16String()); });
    m_state->setEditText(m_editTerm->text().toStdU16String());
    ApplyControlColours();

    // 2. The window: 800 x 600 of client area at (0, 0).
    move(0, 0);
    resize(800, 600);
    m_nCaptionHeight = frameGeometry().height() - geometry().height();
    m_nWindowWidth = frameGeometry().width();
    m_nWindowHeight = 600 + m_nCaptionHeight;

    // 3. Without the background the rest of the layout is skipped.
    m_bmpBackground = platform::LoadBitmap(m_backgroundId);
    if (m_bmpBackground.isNull()) {
        return true;
    }
    // 4.-6. Fonts and the search button.
    m_fontText = textFont();
    for (int id : {IDC_EDIT_TERM, IDC_STC_BUSY, IDC_STC_SUMMARY, IDC_STC_INTRO}) {
        if (QWidget* w = GetDlgItem(id)) {
            w->setFont(m_fontText);
        }
    }
    m_fontButton = textFont();
    m_btnSearch->setFont(m_fontButton);
    // 7. The close button takes the size of its face; green is transparent, and away
    // from the pointer it shows a darker copy.
    const QImage face = platform::LoadBitmap(IDB_CLOSE).toImage();
    if (!face.isNull() && m_btnClose) {
        m_btnClose->resize(face.size());
        m_btnClose->SetFaceBitmaps(face, QColor(0, 255, 0), CButtonST::FACE_AUTO_DARKER,
                                   QColor(0, 255, 0));
        // Where the face is green the dialog's background shows, not a button colour.
        m_btnClose->SetTransparent();
    }
    // 8. The busy picture plays from here on; the searching display only shows it.
    if (m_picBusy && m_picBusy->LoadFromResource(IDR_BUSY_GIF, QStringLiteral("GIF"))) {
        m_picBusy->Draw();
    }
    for (int id : {IDC_PIC_BUSY, IDC_STC_BUSY, IDC_STC_LOCAL_STATUS, IDC_STC_WEB_STATUS}) {
        ShowControl(id, false);
    }
    // 9. The result list; the summary is hidden.
    SetUpResultList();
    ShowControl(IDC_STC_SUMMARY, false);
    // 10. The introduction.
    SetDlgItemText(IDC_STC_INTRO, qs(kTextIntro));
    // 11. The check box: icon 140 checked or pressed, 141 otherwise, over the background.
    m_chkExcludeLocal->SetFaceIcons(iconFace(IDI_CHECK_ON), iconFace(IDI_CHECK_OFF));
    m_chkExcludeLocal->SetTransparent();
    m_chkExcludeLocal->SetCheck(0);
    // 6. and 12. The colours of the search and inquiry buttons.
    SetUpButtonColours();
    m_skinned = true;
    return true;
}

void CTrawlixDlg::SetUpButtonColours() {
    if (m_btnSearch) {
        setFlatColours(*m_btnSearch, m_brushFrame);
    }
    if (m_btnInquiry) {
        setFlatColours(*m_btnInquiry, QColor(61, 58, 83));
    }
    if (m_btnClose) {
        m_btnClose->OnSysColorChange();
        m_btnClose->SetFlatStyle(true);
    }
}

bool CTrawlixDlg::event(QEvent* e) {
    if (e->type() == QEvent::ApplicationPaletteChange && m_skinned) {
        // The buttons go back to the system colours on this change (in no set order
        // among the widgets); the dialog's own colours follow once all have had it.
        QMetaObject::invokeMethod(
            this, [this] { SetUpButtonColours(); }, Qt::QueuedConnection);
    }
    return platform::CDialogBase::event(e);
}

void CTrawlixDlg::ApplyControlColours() {
    // What the control colour handler gives each control: transparent over the
    // background, white behind the status texts, orange behind the edit box.
    for (int id : {IDC_STC_INTRO, IDC_CHK_EXCLUDE_LOCAL}) {
        if (QWidget* w = GetDlgItem(id)) {
            w->setAutoFillBackground(false);
        }
    }
    // The local status line paints its own white.
    for (int id : {IDC_STC_BUSY, IDC_STC_SUMMARY, IDC_STC_WEB_STATUS}) {
        if (QWidget* w = GetDlgItem(id)) {
            w->setStyleSheet(QStringLiteral("QLabel { background: white; }"));
        }
    }
    if (m_stcFrame) {
        m_stcFrame->setStyleSheet(
            QStringLiteral("QLabel { background: %1; }").arg(m_brushFrame.name()));
    }
}

void CTrawlixDlg::SetUpResultList() {
    m_listResults->InsertColumn(0, qs(kTextColumnName), 400);
    m_listResults->InsertColumn(1, qs(kTextColumnType), 100);
    m_listResults->InsertColumn(2, qs(kTextColumnLocation), 260);
    m_listResults->SetExtendedStyle(platform::LVS_EX_GRIDLINES | platform::LVS_EX_FULLROWSELECT);
    m_listResults->DeleteAllItems();
}

void CTrawlixDlg::OnCommand(int id) {
    switch (id) {
        case IDC_BTN_SEARCH:
            OnBnClickedSearch();
            break;
        case IDC_BTN_CLOSE:
            OnBnClickedCancel();
            break;
        case IDC_BTN_INQUIRY:
            OnBnClickedInquiry();
            break;
        default:
            break;  // the check box keeps its own state; Enter is the search button's
    }
}

void CTrawlixDlg::OnBnClickedSearch() {
    if (AnyWorkerRunning()) {
        if (platform::MessageBox(this, qs(kTextBusyAskStop), qs(kTextProgramName),
                                 platform::MessageBoxButtons::OkCancel) == platform::IDOK) {
            StopSearch();
        }
        return;
    }
    const QString text = m_editTerm ? m_editTerm->text() : QString();
    if (text.isEmpty()) {
        platform::MessageBox(this, qs(kTextEnterTerm), qs(kTextProgramName));
        FocusControl(IDC_EDIT_TERM);
        return;
    }
    StartSearch(text);  // blanks are searched as they stand
}

void CTrawlixDlg::StartSearch(const QString& text) {
    const std::string narrow = platform::toAnsi(text.toStdU16String());
    const bool exclude = m_chkExcludeLocal && m_chkExcludeLocal->GetCheck() == 1;
    // StartSearchWorkers empties m_results first (under the lock), then the rows go.
    const bool started = StartSearchWorkers(m_state, narrow, exclude, m_procs);
    if (m_listResults) {
        m_listResults->DeleteAllItems();
    }
    if (!started) {
        return;  // the flags set so far stay; the next click offers to stop
    }
    UpdateSearchStatus();
}

void CTrawlixDlg::StopSearch() {
    StopSearchWorkers(*m_state);
}

void CTrawlixDlg::UpdateSearchStatus() {
    if (!m_btnSearch) {
        return;
    }
    if (SearchDisplayRunning()) {
        SetDlgItemText(IDC_BTN_SEARCH, qs(kTextStopSearch));
        MoveControl(IDC_STC_FRAME, QPoint(4, 4));
        MoveControl(IDC_EDIT_TERM, QPoint(10, 10));
        const int w = ControlOuterWidth(IDC_STC_FRAME);
        MoveControl(IDC_BTN_SEARCH, QPoint(w + 6, 4));
        MoveControl(IDC_CHK_EXCLUDE_LOCAL, QPoint(w, 50));
        SetDlgItemText(IDC_STC_BUSY, qs(kTextSearching));
        for (int id : {IDC_PIC_BUSY, IDC_STC_BUSY, IDC_STC_LOCAL_STATUS, IDC_STC_WEB_STATUS}) {
            ShowControl(id, true);
        }
        ShowControl(IDC_STC_SUMMARY, false);
        ShowControl(IDC_LIST_RESULTS, true);
        ShowControl(IDC_STC_LOGO, false);
        ShowControl(IDC_STC_INTRO, false);
        return;
    }
    SetDlgItemText(IDC_BTN_SEARCH, qs(kTextSearch));
    for (int id : {IDC_PIC_BUSY, IDC_STC_BUSY, IDC_STC_LOCAL_STATUS, IDC_STC_WEB_STATUS}) {
        ShowControl(id, false);
    }
    size_t count = 0;
    std::string term;
    {
        platform::ScopedLock lock(g_searchLock);
        count = m_state->m_results.size();
        term = m_state->m_searchTerm;
    }
    // Both filled at once, so a term holding "%1" or "%2" stays as typed.
    SetDlgItemText(IDC_STC_SUMMARY, qs(kTextSummary).arg(fromAnsi(term), QString::number(count)));
    ShowControl(IDC_STC_SUMMARY, true);
    ShowControl(IDC_STC_INTRO, false);
}

void CTrawlixDlg::OnMessage(uint32_t message, uint64_t wParam, int64_t lParam) {
    if (message == UM_SEARCH_EVENT) {
        OnSearchEvent(static_cast<uint32_t>(wParam), lParam);
    }
}

void CTrawlixDlg::OnSearchEvent(uint32_t code, int64_t param) {
    if (code == SEARCH_EVENT_RESULT) {
        // A message of an earlier search, still queued, adds no row.
        if (ResultEventGeneration(param) != m_state->generation()) {
            return;
        }
        const int32_t key = ResultEventKey(param);
        SearchResult r;
        {
            platform::ScopedLock lock(g_searchLock);
            const auto it = m_state->m_results.find(key);
            if (it == m_state->m_results.end()) {
                return;
            }
            r = it->second;
        }
        if (!m_listResults) {
            return;
        }
        const int row = m_listResults->InsertItem(m_listResults->GetItemCount(), fromAnsi(r.name));
        m_listResults->SetItemData(row, key);
        m_listResults->SetItemText(row, 1, fromAnsi(r.type));
        m_listResults->SetItemText(row, 2, fromAnsi(r.location));
    } else if (code == SEARCH_EVENT_DONE) {
        UpdateSearchStatus();
    } else if (code == SEARCH_EVENT_LOCAL_STATUS || code == SEARCH_EVENT_WEB_STATUS) {
        std::string text;
        {
            platform::ScopedLock lock(g_searchLock);
            text =
                code == SEARCH_EVENT_LOCAL_STATUS ? m_state->m_localStatus : m_state->m_webStatus;
        }
        if (code == SEARCH_EVENT_LOCAL_STATUS) {
            if (m_stcLocalStatus) {
                m_stcLocalStatus->SetText(fromAnsi(text));
            }
        } else {
            SetDlgItemText(IDC_STC_WEB_STATUS, fromAnsi(text));
        }
    }
}

void CTrawlixDlg::OnListDoubleClick(int id, int row) {
    if (id == IDC_LIST_RESULTS) {
        OnResultDblClk(row);
    }
}

void CTrawlixDlg::OnResultDblClk(int row) {
    if (row < 0 || !m_listResults) {
        return;
    }
    const int32_t key = static_cast<int32_t>(m_listResults->GetItemData(row));
    std::string target;
    std::string exact;
    {
        platform::ScopedLock lock(g_searchLock);
        const auto it = m_state->m_results.find(key);
        if (it == m_state->m_results.end()) {
            return;
        }
        target = it->second.target;
        exact = it->second.exactTarget;
    }
    // A local find opens by its exact bytes, so a name with no code page 949 form opens.
    platform::ShellOpen(exact.empty() ? platform::shellUrlFor(fromAnsi(target))
                                      : platform::shellUrlForExactPath(exact));
}

void CTrawlixDlg::OnBnClickedCancel() {
    StopSearch();
    EndDialog(platform::IDCANCEL);
}

void CTrawlixDlg::DestroyWindow() {
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    StopSearch();
    // After this no worker writes to the state or posts to the window.
    m_state->close();
    // The busy picture's thread ends with the window, within its stop time-out.
    if (m_picBusy) {
        m_picBusy->Stop();
    }
    platform::CDialogBase::DestroyWindow();
}

void CTrawlixDlg::OnBnClickedInquiry() {
    platform::ShellOpen(QUrl(QStringLiteral("http://%1/software").arg(qs(kVendorHost))));
}

void CTrawlixDlg::OnSysCommand(int id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
    }
}

void CTrawlixDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The about item the system menu carries on the system the design was made for.
    QMenu menu(this);
    QAction* about = menu.addAction(qs(kTextAboutItem));
    if (menu.exec(event->globalPos()) == about) {
        OnSysCommand(IDM_ABOUTBOX);
    }
}

void CTrawlixDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (isMinimized()) {
        const QSize s(32, 32);
        const int x = (width() - s.width() + 1) / 2;
        const int y = (height() - s.height() + 1) / 2;
        m_hIcon.paint(&p, QRect(QPoint(x, y), s));
        return;
    }
    if (!m_bmpBackground.isNull()) {
        p.drawPixmap(QRect(0, 0, m_nWindowWidth, m_nWindowHeight - m_nCaptionHeight),
                     m_bmpBackground);
    }
}
