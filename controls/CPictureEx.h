// The busy indicator: a static that shows a picture, and plays an animated GIF on a
// thread of its own. Frames are cut out of the GIF by the block walker and decoded one by
// one; the animation thread composes them on a canvas that the paint handler copies from.
// The canvas is guarded by a lock, so a paint never shows a frame half composed.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "controls/gif/Animation.h"

class CPictureEx : public QWidget {
    Q_OBJECT

public:
    // Pictures larger than this in either direction are refused: the canvas would not fit
    // in memory, and no picture of this kind needs more.
    static constexpr int kMaxSide = 4096;

    explicit CPictureEx(QWidget* parent = nullptr);
    ~CPictureEx() override;

    // Finds the resource (e.g. 130 of type "GIF") through the resource locator, and loads
    // it. False when it is missing or empty, or the picture can't be loaded.
    bool LoadFromResource(int id, const QString& type);
    // Unloads, then loads the picture in the data (a GIF, or any picture QImage reads).
    bool Load(const QByteArray& data);
    bool Load(const void* data, size_t size);
    // Shows the picture: starts the animation for several frames, else renders the one
    // picture. False when nothing is loaded.
    bool Draw();
    // Ends the animation thread, waiting at most the stop time-out (5,000 ms). False when
    // the wait ran out: the thread then ends by itself with what it holds.
    bool Stop();
    // Stop, then forget the picture.
    void Unload();

    bool IsGif() const { return m_isGif; }
    bool IsReady() const { return m_ready; }
    bool IsPlaying() const;
    QSize GetSize() const { return m_pictureSize; }
    int GetFrameCount() const;
    int GetCurrentFrame() const;
    QColor GetBackColor() const { return m_backColor; }
    // A copy of the canvas as it stands, taken under its lock.
    QImage CanvasCopy() const;

    // Where LoadFromResource finds resource data. The default reads the Qt resource
    // ":/<type>/<id>", e.g. ":/GIF/130".
    using ResourceLocator = std::function<QByteArray(int id, const QString& type)>;
    static void SetResourceLocator(ResourceLocator locator);

    // Test seams: how long Stop waits, and the wait between frames (see gif::Animation).
    void SetStopTimeoutMs(uint32_t ms) { m_stopTimeoutMs = ms; }
    void SetFrameWaiter(gif::Animation::Waiter waiter);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    class Canvas;

    bool loadGif(const QByteArray& data);
    bool loadStill(const QByteArray& data);
    bool prepareCanvas();

    QSize m_pictureSize;
    QColor m_backColor{Qt::white};
    bool m_isGif = false;
    bool m_ready = false;
    QImage m_single;  // the picture when there is one frame only
    // Shared with the animation thread; a Stop that times out leaves it to the thread
    // and takes a copy.
    std::shared_ptr<Canvas> m_canvas;
    std::unique_ptr<gif::Animation> m_animation;
    gif::Animation::Waiter m_waiter;
    uint32_t m_stopTimeoutMs = gif::Animation::kStopTimeoutMs;
};
