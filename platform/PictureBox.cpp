#include "platform/PictureBox.h"

#include "imaging/Checked.h"

#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <bit>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>
#include <vector>

PictureBox::PictureBox(QWidget* parent, bool withImage) : QWidget(parent), withImage_(withImage) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, withImage);
    setAutoFillBackground(!withImage);
}

QColor PictureBox::BackColor() const {
    return palette().color(QPalette::Button);
}

// The persistent image at another size, made aside: the drawing where it fits, the background
// picture or the back colour elsewhere.
QImage PictureBox::ImageAtSize(QSize size) const {
    QImage grown(size, QImage::Format_RGB32);
    if (grown.isNull() && !size.isEmpty())
        throw std::bad_alloc();
    grown.fill(BackColor());
    QPainter painter(&grown);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (!picture_.isNull())
        painter.drawImage(0, 0, picture_);
    if (!image_.isNull())
        painter.drawImage(0, 0, image_);
    painter.end();
    return grown;
}

void PictureBox::SyncImageSize() {
    if (withImage_ && image_.size() != size())
        image_ = ImageAtSize(size());
}

// The image is made before the surface changes: without the memory for it, the surface keeps
// its size and its drawing.
void PictureBox::setSize(int w, int h) {
    if (withImage_ && image_.size() != QSize(w, h))
        image_ = ImageAtSize(QSize(w, h));
    resize(w, h);
}

void PictureBox::Load(const QImage& picture) {
    QImage image = picture.copy(); // stamps go into the image, never into the picture
    if (image.isNull() && !picture.isNull())
        throw std::bad_alloc();
    Restore(picture, image);
}

void PictureBox::setPicture(const QImage& picture) {
    picture_ = picture;
    if (autoSize_ && !picture_.isNull())
        setSize(picture_.width(), picture_.height());
    // The new background replaces whatever was drawn.
    if (withImage_)
        Cls();
    else
        update();
}

QImage PictureBox::Image() const {
    const_cast<PictureBox*>(this)->SyncImageSize();
    return image_;
}

void PictureBox::Cls() {
    if (!withImage_)
        return;
    image_ = QImage();
    SyncImageSize();
    update();
}

void PictureBox::Restore(const QImage& picture, const QImage& image) {
    picture_ = picture;
    if (withImage_)
        image_ = image;
    // The image already has the new size: resizing keeps it as it is.
    resize(image.size());
    update();
}

void PictureBox::PaintPicture(const QImage& picture, int x1, int y1, int w1, int h1, int x2, int y2,
                              int w2, int h2) {
    SyncImageSize();
    if (picture.isNull() || image_.isNull())
        return;
    const QRect target(x1, y1, w1, h1);
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(target, picture, QRect(x2, y2, w2, h2));
    painter.end();
    update(target);
}

DeviceContext PictureBox::hDC() {
    SyncImageSize();
    if (image_.isNull())
        return {};
    return {image_.bits(), image_.width(), image_.height(),
            static_cast<int32_t>(image_.bytesPerLine())};
}

void PictureBox::Refresh() {
    repaint();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!withImage_) {
        if (!picture_.isNull())
            painter.drawImage(0, 0, picture_);
        return;
    }
    // Only the exposed parts: a tall sheet shows 256 x 477 of itself.
    for (const QRect& exposed : event->region())
        painter.drawImage(exposed, image_, exposed);
    if (!mark_.isEmpty()) {
        painter.setPen(QPen(Qt::white, 0));
        painter.drawRect(mark_.adjusted(0, 0, -1, -1));
        painter.setPen(QPen(Qt::black, 0));
        painter.drawRect(mark_.adjusted(1, 1, -2, -2));
    }
    if (!outline_.isEmpty()) {
        // Black dashes on white: seen on any colour.
        const QRect ring = outline_.adjusted(-1, -1, 0, 0);
        painter.setPen(QPen(Qt::white, 0));
        painter.drawRect(ring);
        QPen dashes(Qt::black, 0, Qt::CustomDashLine);
        dashes.setDashPattern({4, 4});
        painter.setPen(dashes);
        painter.drawRect(ring);
    }
}

namespace {
// Moves a ring drawn around a cell, repainting only what it covered and what it will cover.
void MoveRing(QWidget* widget, QRect& ring, const QRect& cell) {
    if (cell == ring)
        return;
    const auto covered = [](const QRect& r) {
        return r.isEmpty() ? QRect() : r.adjusted(-1, -1, 1, 1);
    };
    widget->update(covered(ring));
    ring = cell;
    widget->update(covered(ring));
}
} // namespace

void PictureBox::setOutline(const QRect& cell) {
    MoveRing(this, outline_, cell);
}

void PictureBox::setMark(const QRect& cell) {
    MoveRing(this, mark_, cell);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    // Resizes made by the program sync in setWidth/setHeight, where a failure reaches the
    // caller; here only a size that came from elsewhere is caught up with.
    try {
        SyncImageSize();
    } catch (const std::exception&) {
    }
    if (pointer_ && hasMouseTracking())
        RaiseMouseMove(*pointer_);
    QWidget::resizeEvent(event);
}

namespace {
int16_t ButtonCode(Qt::MouseButtons buttons) {
    return static_cast<int16_t>((buttons & Qt::LeftButton ? 1 : 0) |
                                (buttons & Qt::RightButton ? 2 : 0) |
                                (buttons & Qt::MiddleButton ? 4 : 0));
}

int16_t ShiftCode(Qt::KeyboardModifiers mods) {
    return static_cast<int16_t>((mods & Qt::ShiftModifier ? 1 : 0) |
                                (mods & Qt::ControlModifier ? 2 : 0) |
                                (mods & Qt::AltModifier ? 4 : 0));
}
} // namespace

void PictureBox::RaiseMouseDown(QMouseEvent* event) {
    const QPointF at = event->position();
    pointer_ = at;
    emit MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                   static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void PictureBox::RaiseMouseMove(QPointF at) {
    pointer_ = at;
    emit MouseMove(ButtonCode(QGuiApplication::mouseButtons()),
                   ShiftCode(QGuiApplication::keyboardModifiers()), static_cast<float>(at.x()),
                   static_cast<float>(at.y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    RaiseMouseMove(event->position());
}

void PictureBox::leaveEvent(QEvent* event) {
    pointer_.reset();
    setOutline({});
    QWidget::leaveEvent(event);
}

// Scrolling moves the surface under a pointer that stays put: it now rests on another pixel.
void PictureBox::moveEvent(QMoveEvent* event) {
    if (pointer_ && hasMouseTracking())
        RaiseMouseMove(*pointer_ - QPointF(event->pos() - event->oldPos()));
    QWidget::moveEvent(event);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    RaiseMouseDown(event);
}

// A quick second press arrives as a double click; it is a press all the same.
void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    RaiseMouseDown(event);
}

namespace {
void PutLE(uint8_t* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// One row of 32-bit pixels (blue, green, red, unused) as 24-bit ones, four pixels from two
// 64-bit words at a time: twice the speed of a byte at a time. (Packing into an array of 32-bit
// words and copying that out is slower than bytes: the copy waits on the array's stores.)
void PackRow(const uint8_t* from, uint8_t* to, int width) {
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 4 <= width; x += 4, from += 16, to += 12) {
            uint64_t a, b;
            std::memcpy(&a, from, 8);
            std::memcpy(&b, from + 8, 8);
            const uint64_t low = (a & 0xFFFFFF) | (a >> 8 & 0xFFFFFF000000) | b << 48;
            const auto high = static_cast<uint32_t>((b >> 16 & 0xFF) | (b >> 32 & 0xFFFFFF) << 8);
            std::memcpy(to, &low, 8);
            std::memcpy(to + 8, &high, 4);
        }
    }
    for (; x < width; ++x, from += 4, to += 3) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
    }
}

// Rows converted per write: a buffer the size of the file would be fresh memory at every
// save, whose page faults cost more than the conversion.
constexpr size_t ChunkBytes = size_t{256} << 10;
} // namespace

void SavePicture(const QImage& picture, const QString& path) {
    if (picture.isNull())
        throw std::runtime_error("cannot save an empty picture");
    const QImage image =
        picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
            ? picture
            : picture.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    const int32_t stored = checked::Mul32({(3LL * width + 3) / 4, 4});
    const int32_t sizeImage = checked::Mul32({stored, height});
    const int32_t fileSize = checked::ToInt32(54LL + sizeImage);

    uint8_t h[54] = {'B', 'M'};
    PutLE(h + 2, static_cast<uint32_t>(fileSize), 4);
    PutLE(h + 10, 54, 4);
    PutLE(h + 14, 40, 4);
    PutLE(h + 18, static_cast<uint32_t>(width), 4);
    PutLE(h + 22, static_cast<uint32_t>(height), 4);
    PutLE(h + 26, 1, 2);
    PutLE(h + 28, 24, 2);
    PutLE(h + 34, static_cast<uint32_t>(sizeImage), 4);
    PutLE(h + 38, 3780, 4); // 96 dots per inch
    PutLE(h + 42, 3780, 4);

    const auto rowBytes = static_cast<size_t>(stored);
    const int chunkRows =
        static_cast<int>(std::min<size_t>(height, std::max<size_t>(1, ChunkBytes / rowBytes)));
    // Zeroed once: the rows' padding stays 0.
    std::vector<uint8_t> chunk(static_cast<size_t>(chunkRows) * rowBytes, 0);

    // Always a new file: a link or file planted at the path is refused, never written through.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::runtime_error("cannot write " + path.toStdString() + ": " +
                                 std::strerror(errno));
    QFile out;
    bool written =
        out.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    if (!written)
        ::close(fd);
    // A short write (disk full, file-size limit) sets no error: writing the rest makes the
    // failing call record the reason.
    const auto put = [&](const uint8_t* bytes, qint64 size) {
        for (qint64 done = 0; written && done < size;) {
            const qint64 n = out.write(reinterpret_cast<const char*>(bytes) + done, size - done);
            written = n > 0;
            done += written ? n : 0;
        }
    };
    put(h, sizeof h);
    // Bottom row first.
    for (int y = height - 1; written && y >= 0; y -= chunkRows) {
        const int count = std::min(chunkRows, y + 1);
        for (int k = 0; k < count; ++k)
            PackRow(image.constScanLine(y - k), chunk.data() + static_cast<size_t>(k) * rowBytes,
                    width);
        put(chunk.data(), static_cast<qint64>(static_cast<size_t>(count) * rowBytes));
    }
    if (!written || !out.flush()) {
        const QString reason = out.errorString();
        out.close();
        throw std::runtime_error("cannot write " + path.toStdString() + ": " +
                                 reason.toStdString());
    }
}
