// The dialog base: a window built from a layout template (controls by id, kind,
// position in dialog units), run modally or shown, that receives window messages
// posted from any thread on its own thread, one at a time, in the order posted.
// Buttons report their id to OnCommand; Escape and the close box are IDCANCEL.
#pragma once

#include <QDialog>
#include <QPointer>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "platform/qt/Layout.h"

namespace platform {

// A handle to post to a dialog from any thread. Posting never waits; once the dialog
// is gone a post fails quietly (returns false).
class WindowHandle {
public:
    WindowHandle() = default;
    bool PostMessage(uint32_t message, uint64_t wParam, int64_t lParam) const;
    bool IsWindow() const;

private:
    friend class CDialogBase;
    struct Block {
        std::mutex mutex;
        QObject* target = nullptr;  // guarded by mutex; cleared before the dialog dies
    };
    std::shared_ptr<Block> m_block;
};

class CDialogBase : public QDialog {
    Q_OBJECT
public:
    // The template `templateId` of the embedded layout.
    explicit CDialogBase(int templateId, QWidget* parent = nullptr);
    // A template given directly (tests, or layouts from elsewhere).
    explicit CDialogBase(DialogTemplate tmpl, QWidget* parent = nullptr);
    ~CDialogBase() override;

    // Builds the controls and runs OnInitDialog, once. False when the template is
    // missing or a control kind is unknown.
    bool Create();
    // Create, run modally, then DestroyWindow. Returns the EndDialog result.
    int DoModal();
    void EndDialog(int result);
    // Runs when the window goes away (after the modal loop, or at destruction).
    virtual void DestroyWindow();

    QWidget* GetDlgItem(int id) const;
    template <class T>
    T* Item(int id) const {
        return qobject_cast<T*>(GetDlgItem(id));
    }

    // The window operations the dialogs' logic uses, by control id.
    QString GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const QString& text);
    void ShowControl(int id, bool show);
    void MoveControl(int id, const QPoint& clientPos);  // keeps the size
    int ControlOuterWidth(int id) const;
    void FocusControl(int id);

    WindowHandle Handle() const { return m_handle; }
    bool PostMessage(uint32_t message, uint64_t wParam, int64_t lParam) const {
        return m_handle.PostMessage(message, wParam, lParam);
    }

    const DialogTemplate& Template() const { return m_template; }

protected:
    virtual bool OnInitDialog() { return true; }
    // One control of the template; the default is createStandardControl.
    virtual QWidget* CreateControl(const ControlSpec& desc);
    virtual void OnMessage(uint32_t message, uint64_t wParam, int64_t lParam);
    // A button of the template was clicked (IDOK, IDCANCEL: OnOK, OnCancel).
    virtual void OnCommand(int id);
    virtual void OnOK() { EndDialog(1); }
    virtual void OnCancel() { EndDialog(2); }
    // A double-click in a list view control on `row` (-1: below the rows).
    virtual void OnListDoubleClick(int id, int row);

    bool event(QEvent* e) override;
    void accept() override;
    void reject() override;

private:
    void detachHandle();

    DialogTemplate m_template;
    bool m_haveTemplate = false;
    bool m_created = false;
    bool m_destroyed = false;
    std::map<int, QPointer<QWidget>> m_controls;
    WindowHandle m_handle;
};

}  // namespace platform
