#include "controls/CPictureEx.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <vector>

#include "controls/gif/GifWalker.h"
#include "platform/Sync.h"

namespace {

CPictureEx::ResourceLocator& resourceLocator() {
    static CPictureEx::ResourceLocator locator = [](int id, const QString& type) {
        QFile file(QStringLiteral(":/%1/%2").arg(type).arg(id));
        if (!file.open(QIODevice::ReadOnly)) {
            return QByteArray();
        }
        return file.readAll();
    };
    return locator;
}

}  // namespace

// The frames and the canvas they are composed on, shared by the control and its
// animation thread. Every access to the canvas and the backup holds m_lock.
class CPictureEx::Canvas : public gif::FrameSink {
public:
    struct Frame {
        QImage picture;
        QRect rect;  // left, top, width, height in the picture
        int disposal = 0;
        uint16_t delay = 0;
    };

    Canvas(QSize size, QColor back, CPictureEx* owner) : m_back(back), m_owner(owner) {
        m_image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    }

    bool isNull() const { return m_image.isNull(); }

    // A copy for the control to carry on with, when the thread keeps this one.
    std::shared_ptr<Canvas> clone(CPictureEx* owner) {
        platform::ScopedLock lock(m_lock);
        auto copy = std::make_shared<Canvas>(m_image.size(), m_back, owner);
        copy->m_image = m_image.copy();
        copy->frames = frames;
        return copy;
    }

    // No more invalidation of the control: it may be gone before the thread ends.
    void detach() {
        platform::ScopedLock lock(m_lock);
        m_owner = nullptr;
    }

    void fill(const QColor& color) {
        platform::ScopedLock lock(m_lock);
        m_image.fill(color);
    }

    void drawStill(const QImage& picture) {
        platform::ScopedLock lock(m_lock);
        QPainter p(&m_image);
        p.drawImage(QRect(QPoint(0, 0), m_image.size()), picture);
    }

    QImage copy() const {
        platform::ScopedLock lock(m_lock);
        return m_image.copy();
    }

    void showFrame(size_t index) override {
        platform::ScopedLock lock(m_lock);
        const Frame& f = frames[index];
        if (f.disposal == gif::kDisposeRestorePrevious) {
            m_backup = m_image.copy(f.rect);
            m_backupAt = f.rect.topLeft();
        }
        {
            QPainter p(&m_image);
            p.drawImage(f.rect, f.picture);
        }
        if (m_owner) {
            // Posting never waits for the control's thread; a post to a control that has
            // gone away in the meantime is dropped with it.
            QPointer<CPictureEx> target(m_owner);
            QMetaObject::invokeMethod(
                m_owner,
                [target] {
                    if (target) {
                        target->update();
                    }
                },
                Qt::QueuedConnection);
        }
    }

    void disposeFrame(size_t index) override {
        platform::ScopedLock lock(m_lock);
        const Frame& f = frames[index];
        if (f.disposal == gif::kDisposeRestoreBackground) {
            QPainter p(&m_image);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(f.rect, m_back);
        } else if (f.disposal == gif::kDisposeRestorePrevious && !m_backup.isNull()) {
            QPainter p(&m_image);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(m_backupAt, m_backup);
            m_backup = QImage();
        }
    }

    void restart() override { fill(m_back); }

    std::vector<Frame> frames;  // fixed once the animation runs

private:
    mutable platform::CriticalSection m_lock;
    QImage m_image;     // guarded by m_lock
    QImage m_backup;    // guarded by m_lock
    QPoint m_backupAt;  // guarded by m_lock
    const QColor m_back;
    CPictureEx* m_owner;  // guarded by m_lock; null once detached
};

CPictureEx::CPictureEx(QWidget* parent) : QWidget(parent) {}

CPictureEx::~CPictureEx() {
    Unload();
}

void CPictureEx::SetResourceLocator(ResourceLocator locator) {
    resourceLocator() = std::move(locator);
}

void CPictureEx::SetFrameWaiter(gif::Animation::Waiter waiter) {
    m_waiter = std::move(waiter);
    if (m_animation) {
        m_animation->SetWaiter(m_waiter);
    }
}

bool CPictureEx::LoadFromResource(int id, const QString& type) {
    const QByteArray data = resourceLocator() ? resourceLocator()(id, type) : QByteArray();
    if (data.isEmpty()) {
        return false;
    }
    return Load(data);
}

bool CPictureEx::Load(const void* data, size_t size) {
    if (data == nullptr || size == 0 || size > size_t(INT32_MAX)) {
        Unload();
        return false;
    }
    return Load(QByteArray(static_cast<const char*>(data), qsizetype(size)));
}

bool CPictureEx::Load(const QByteArray& data) {
    Unload();
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    const bool ok = gif::isGif(bytes, size_t(data.size())) ? loadGif(data) : loadStill(data);
    if (!ok) {
        Unload();
    }
    return ok;
}

bool CPictureEx::loadStill(const QByteArray& data) {
    // The size in pixels, as the screen shows it: a picture's physical size converted
    // back with the screen's own resolution gives its pixel size.
    if (!m_single.loadFromData(data)) {
        return false;
    }
    m_pictureSize = m_single.size();
    return prepareCanvas();
}

bool CPictureEx::loadGif(const QByteArray& data) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    const size_t size = size_t(data.size());
    const gif::GifInfo info = gif::walk(bytes, size);
    if (!info.ok()) {
        return false;
    }
    m_isGif = true;
    m_pictureSize = QSize(info.screenWidth, info.screenHeight);
    if (m_pictureSize.isEmpty()) {
        // A zero logical screen: take the frames' extent, so the picture still shows.
        QRect extent;
        for (const gif::Frame& f : info.frames) {
            extent |= QRect(f.left, f.top, f.width, f.height);
        }
        m_pictureSize = QSize(extent.right() + 1, extent.bottom() + 1);
    }
    if (m_pictureSize.isEmpty() || m_pictureSize.width() > kMaxSide ||
        m_pictureSize.height() > kMaxSide) {
        return false;
    }
    if (info.frames.size() == 1) {
        if (!m_single.loadFromData(data, "GIF")) {
            return false;
        }
        return prepareCanvas();
    }

    std::vector<Canvas::Frame> frames;
    for (size_t i = 0; i < info.frames.size(); ++i) {
        const gif::Frame& f = info.frames[i];
        const std::vector<uint8_t> cut = gif::cutFrame(bytes, size, info, i);
        Canvas::Frame frame;
        if (cut.empty() || !frame.picture.loadFromData(cut.data(), int(cut.size()), "GIF")) {
            continue;  // a frame that does not decode is left out
        }
        frame.rect = QRect(f.left, f.top, f.width, f.height);
        // The decoder returns the frame on the whole logical screen: keep the frame's part.
        if (frame.picture.size() != frame.rect.size()) {
            const QRect part = frame.rect & frame.picture.rect();
            if (part.isEmpty()) {
                continue;
            }
            frame.picture = frame.picture.copy(part);
            frame.rect = part;
        }
        frame.disposal = f.disposal;
        frame.delay = f.delay;
        frames.push_back(std::move(frame));
    }
    if (frames.empty()) {
        return false;
    }
    if (!prepareCanvas()) {
        return false;
    }
    m_canvas->frames = std::move(frames);
    return true;
}

bool CPictureEx::prepareCanvas() {
    resize(m_pictureSize);
    m_backColor = QApplication::palette().color(QPalette::Button);
    m_canvas = std::make_shared<Canvas>(m_pictureSize, m_backColor, this);
    if (m_canvas->isNull()) {
        m_canvas.reset();
        return false;
    }
    m_canvas->fill(QApplication::palette().color(QPalette::Window));
    m_ready = true;
    return true;
}

bool CPictureEx::Draw() {
    if (!m_ready || !m_canvas) {
        return false;
    }
    if (m_canvas->frames.size() >= 2) {
        if (!m_animation) {
            std::vector<uint16_t> delays;
            for (const Canvas::Frame& f : m_canvas->frames) {
                delays.push_back(f.delay);
            }
            m_animation = std::make_unique<gif::Animation>(m_canvas, std::move(delays));
            if (m_waiter) {
                m_animation->SetWaiter(m_waiter);
            }
        }
        if (!m_animation->IsPlaying()) {
            m_animation->Start(m_animation->CurrentFrame());  // carries on where it stopped
        }
        return true;
    }
    if (m_canvas->frames.empty()) {
        m_canvas->drawStill(m_single);
    } else {
        m_canvas->showFrame(0);  // the one frame of several that decoded, at its place
    }
    update();
    return true;
}

bool CPictureEx::Stop() {
    if (!m_animation || m_animation->Stop(m_stopTimeoutMs)) {
        return true;
    }
    // The thread still holds the canvas: leave it that one and carry on with a copy.
    m_canvas->detach();
    m_canvas = m_canvas->clone(this);
    m_animation.reset();
    return false;
}

void CPictureEx::Unload() {
    Stop();
    m_animation.reset();
    m_canvas.reset();
    m_single = QImage();
    m_pictureSize = QSize();
    m_backColor = Qt::white;
    m_isGif = false;
    m_ready = false;
}

bool CPictureEx::IsPlaying() const {
    return m_animation && m_animation->IsPlaying();
}

int CPictureEx::GetFrameCount() const {
    if (!m_canvas) {
        return 0;
    }
    return m_canvas->frames.empty() ? (m_single.isNull() ? 0 : 1) : int(m_canvas->frames.size());
}

int CPictureEx::GetCurrentFrame() const {
    return m_animation ? int(m_animation->CurrentFrame()) : 0;
}

QImage CPictureEx::CanvasCopy() const {
    return m_canvas ? m_canvas->copy() : QImage();
}

void CPictureEx::paintEvent(QPaintEvent*) {
    if (!m_canvas) {
        return;
    }
    const QImage shown = m_canvas->copy();
    QPainter p(this);
    p.drawImage(0, 0, shown);
}
