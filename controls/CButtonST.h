// An owner-drawn button that paints itself from per-state colours, icon faces or bitmap
// faces, reacts to the pointer passing over it, and can act as a check box. The main
// dialog's close button and its exclusion check box are of this class; CWinXPButtonST
// changes the hover look.
#pragma once

#include <QColor>
#include <QImage>
#include <QPushButton>
#include <array>

#include "controls/ButtonFaces.h"

class QPainter;

class CButtonST : public QPushButton {
    Q_OBJECT

public:
    // Colour slots of SetStateColor, in index order.
    enum ColorSlot {
        CLR_BK_HOVER = 0,
        CLR_FG_HOVER = 1,
        CLR_BK_NORMAL = 2,
        CLR_FG_NORMAL = 3,
        CLR_BK_FOCUS = 4,
        CLR_FG_FOCUS = 5,
        CLR_COUNT = 6,
    };

    // What the control was created as: the button type it would have had as a plain
    // button. A check box (plain or automatic) checks itself on every click.
    enum class Kind { PushButton, DefaultPushButton, CheckBox };

    // Stands for face 1 in SetFaceBitmaps and SetFaceIcons: a darker copy of face 0.
    struct AutoDarker {};
    static constexpr AutoDarker FACE_AUTO_DARKER{};

    // Return codes of SetFaceBitmaps and SetFaceIcons.
    static constexpr int kOk = 0;
    static constexpr int kFaceNotMeasurable = 1;
    static constexpr int kMaskNotBuilt = 2;

    explicit CButtonST(QWidget* parent = nullptr, Kind kind = Kind::PushButton);
    CButtonST(const QString& text, QWidget* parent, Kind kind = Kind::PushButton);

    void SetFlatStyle(bool flat = true);
    bool IsFlat() const { return m_flat; }

    // False (and nothing changes) for a slot outside 0..5.
    bool SetStateColor(int slot, const QColor& color);
    QColor GetStateColor(int slot) const;

    // Bitmap faces: face 0 (hovered or pressed) and face 1 (at rest), each drawn without
    // the pixels of its transparent colour. Earlier faces are dropped first, and all
    // faces are dropped on failure.
    int SetFaceBitmaps(const QImage& face0, const QColor& transparent0);
    int SetFaceBitmaps(const QImage& face0, const QColor& transparent0, const QImage& face1,
                       const QColor& transparent1);
    int SetFaceBitmaps(const QImage& face0, const QColor& transparent0, AutoDarker,
                       const QColor& transparent1 = QColor());

    // Icon faces (images with an alpha channel); face 1 may be left out.
    int SetFaceIcons(const QImage& face0, const QImage& face1 = QImage());
    int SetFaceIcons(const QImage& face0, AutoDarker);

    // The button shows the parent's background under it instead of a colour fill.
    void SetTransparent();
    bool IsTransparent() const { return m_transparent; }

    // Lightens CLR_BK_HOVER: see controls::brightenHoverColor.
    void BrightenHoverColor();

    // Check box state: 1 or 2 check it, anything else unchecks it; only for check boxes.
    void SetCheck(int state);
    int GetCheck() const { return m_checkState; }

    bool IsCheckBox() const { return m_checkBox; }
    // The dialog's default push button: Enter in the dialog clicks it.
    void SetDefaultButton(bool isDefault);
    bool IsDefaultButton() const { return m_defaultButton; }
    bool IsHovered() const { return m_hover; }

    void SetHoverBorder(bool on);
    void SetFlatFocusRect(bool on);
    void SetTrackInactive(bool on) { m_trackInactive = on; }

    // Back to the system button colours and defaults, as on a change of system colours.
    void OnSysColorChange();

    // Which face a state shows: 1 when face 1 exists and the button is a check box that
    // is not pressed, or is not pressed and not hovered; 0 otherwise.
    static int ChooseFace(bool hasFace1, bool checkBox, bool pressed, bool hover);

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

    // The paint steps, each overridable. `rect` is the area still to paint.
    virtual void PaintBackground(QPainter& p, QRect& rect);
    virtual void PaintBorder(QPainter& p, const QRect& rect);
    virtual void PaintIcon(QPainter& p, const QRect& rect, bool hasText);
    virtual void PaintBitmap(QImage& buffer, const QRect& rect, bool hasText);
    virtual void PaintText(QPainter& p, const QRect& rect);

    // The paint state, set at the start of each paint.
    bool m_pressed = false;
    bool m_focused = false;
    bool m_disabled = false;
    bool m_hover = false;  // the pointer is over the button
    bool m_flat = true;
    std::array<QColor, CLR_COUNT> m_colors;

    // Fills a 1-pixel frame: topLeft on the top and left edges, bottomRight on the others.
    static void draw3dRect(QPainter& p, const QRect& r, const QColor& topLeft,
                           const QColor& bottomRight);

private:
    struct Face {
        QImage icon;
        controls::MaskedFace bitmap;
    };

    void init(Kind kind);
    void freeFaces();
    int setBitmapFaces(const QImage& face0, const QColor& t0, const QImage& face1, const QColor& t1,
                       bool autoDarker);
    void setHover(bool hover);
    int faceIndex(bool hasFace1) const;
    // Where an image of `size` goes: centred vertically, after the margin or centred.
    QPoint imagePosition(const QRect& rect, QSize size, bool hasText) const;
    QRect textRect(const QRect& rect) const;
    void onClicked();

    bool m_defaultButton = false;
    bool m_checkBox = false;
    int m_checkState = 0;
    bool m_trackInactive = true;
    bool m_hoverBorder = true;
    bool m_flatFocusRect = false;
    bool m_transparent = false;
    bool m_grayWhenDisabled = true;
    QPoint m_imageMargin{3, 3};
    QPoint m_pressShift{1, 1};
    std::array<Face, 2> m_faces;
    bool m_hasIcons = false;
    bool m_hasBitmaps = false;
};
