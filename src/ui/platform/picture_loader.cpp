#include "ui/platform/picture_loader.h"

#include "core/platform/big_pages.h"
#include "core/platform/bmp_rows.h"
#include "core/platform/gif_frame.h"
#include "core/platform/reduced_rows.h"
#include "ui/platform/metafile_render.h"
#include "ui/platform/native_names.h"
#include "core/platform/runtime_error.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRect>
#include <QTransform>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <numeric>
#include <optional>
#include <span>
#include <vector>

#include <fcntl.h>
#include <jpeglib.h>
#include <jerror.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaron {
namespace {

constexpr std::int64_t kBytesPerPixel = 4;

// No picture whose pixels fit the limit needs a file much larger than the limit itself
// (an uncompressed 32-bit BMP is the worst case). Anything longer is refused without
// reading it, so a huge file behind a picture's first bytes cannot keep the game busy.
constexpr std::int64_t kMaxFileBytes = kMaxPictureBytes + (std::int64_t{64} << 20);

using KeepPart = std::function<QSize(QSize natural)>;

// What the caller asked to keep, within the picture and never empty.
QSize clampedPart(QSize kept, QSize whole)
{
    return QSize(std::clamp(kept.width(), 1, whole.width()), std::clamp(kept.height(), 1, whole.height()));
}

enum class Kind { Jpeg, Gif, Bmp, Metafile, Unknown };

Kind sniff(const QByteArray& head)
{
    const auto byte = [&](int i) { return i < head.size() ? static_cast<unsigned char>(head[i]) : 0u; };
    if (byte(0) == 0xFF && byte(1) == 0xD8 && byte(2) == 0xFF)
        return Kind::Jpeg;
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return Kind::Gif;
    // Both .bmp and .dib files carry the "BM" file header; a packed DIB without it is
    // a clipboard format, not a file format.
    if (head.startsWith("BM"))
        return Kind::Bmp;
    if (isMetafile(head))
        return Kind::Metafile;
    return Kind::Unknown;
}

ErrorNumber openErrorNumber(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return err::FileNotFound;
    case EACCES:
    case EPERM:
        return err::PermissionDenied;
    default:
        return err::PathFileAccessError;
    }
}

// Opens `path` for reading as a regular file. Non-blocking, so a FIFO with no writer
// cannot stall the open; anything but a regular file (a folder, a device, a pipe) is
// refused before a byte is read, so /dev/zero cannot feed the decoder forever.
void openRegularFile(const QString& path, QFile& file, std::int64_t& size)
{
    const std::string name = nativeFromName(path);
    if (name.find('\0') != std::string::npos)
        throw RuntimeError(err::FileNotFound);
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw RuntimeError(openErrorNumber(errno));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throw RuntimeError(err::PathFileAccessError);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw RuntimeError(err::PathFileAccessError);
    }
    size = status.st_size;
}

// Transparent pixels show the background, as in a picture box; the result is opaque.
QImage opaque(QImage image, const QColor& background)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    if (image.format() == QImage::Format_Indexed8) {
        // A GIF's transparency is one palette entry: recolour the palette, not the pixels.
        QList<QRgb> colours = image.colorTable();
        const QRgb back = background.rgb();
        for (QRgb& colour : colours) {
            const int a = qAlpha(colour);
            const auto mix = [a](int fore, int backPart) { return (fore * a + backPart * (255 - a) + 127) / 255; };
            colour = qRgb(mix(qRed(colour), qRed(back)), mix(qGreen(colour), qGreen(back)),
                mix(qBlue(colour), qBlue(back)));
        }
        image.setColorTable(colours);
        return image.convertToFormat(QImage::Format_RGB32);
    }
    // Laid on the background in its own memory, a band of rows at a time, so that a large
    // picture is never held twice: each row blends exactly as on a fresh canvas.
    if (image.depth() == 32) {
        constexpr int kBandRows = 64;
        uchar* const bits = image.bits();
        if (!bits)
            return {};
        const qsizetype perLine = image.bytesPerLine();
        for (int top = 0; top < image.height(); top += kBandRows) {
            const QImage band = image.copy(0, top, image.width(), std::min(kBandRows, image.height() - top));
            if (band.isNull())
                return {};
            QImage canvas(bits + top * perLine, band.width(), band.height(), perLine, QImage::Format_RGB32);
            canvas.fill(background.rgb());
            QPainter painter(&canvas);
            painter.drawImage(0, 0, band);
        }
        image.reinterpretAsFormat(QImage::Format_RGB32);
        return image;
    }
    QImage result(image.size(), QImage::Format_RGB32);
    if (result.isNull())
        return result;
    result.fill(background.rgb());
    QPainter painter(&result);
    painter.drawImage(0, 0, image);
    return result;
}

// The size to decode at so that the upright picture keeps its proportions and covers
// `box`; in the stored orientation, which is what the decoder scales.
QSize previewSize(QSize stored, QImageIOHandler::Transformations transformation, QSize box)
{
    const bool turned = transformation.testFlag(QImageIOHandler::TransformationRotate90);
    const QSize upright = turned ? stored.transposed() : stored;
    const double scale = std::max(static_cast<double>(box.width()) / upright.width(),
        static_cast<double>(box.height()) / upright.height());
    if (scale >= 1.0)
        return {};
    const auto side = [scale](int length) {
        return std::max(1, static_cast<int>(std::ceil(length * scale - 1e-9)));
    };
    const QSize reduced(side(upright.width()), side(upright.height()));
    return turned ? reduced.transposed() : reduced;
}

std::span<const std::uint8_t> bytesOf(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

// The first `size` bytes of a file as a device of their own: the general decoder reads
// through it, so it can never read further than the checks found the picture needs.
class FilePrefix final : public QIODevice {
public:
    // Buffered, as the file is: the decoder reads a run-length stream a byte at a time.
    FilePrefix(QFile& file, qint64 size) : file_(file), size_(size) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return false; }
    qint64 size() const override { return size_; }

protected:
    qint64 readData(char* data, qint64 most) override
    {
        const qint64 at = pos();
        if (at >= size_)
            return 0;
        if (file_.pos() != at && !file_.seek(at))
            return -1;
        return file_.read(data, std::min(most, size_ - at));
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QFile& file_;
    qint64 size_;
};

// Reads a BMP's pixel data from its start up to `end` and no further.
ReadBytes pixelReader(QFile& file, const BmpLayout& bmp, std::int64_t end)
{
    if (!file.seek(bmp.pixelOffset))
        throw RuntimeError(err::InvalidPicture);
    return [&file, left = end - bmp.pixelOffset](std::uint8_t* into, std::size_t most) mutable {
        const qint64 got = file.read(reinterpret_cast<char*>(into), std::min<qint64>(static_cast<qint64>(most), left));
        left -= std::max<qint64>(got, 0);
        return got > 0 ? static_cast<std::size_t>(got) : std::size_t{0};
    };
}

// Qt's BMP decoder fills no rows it could not read and follows a pixel offset past the
// end of the file, so a cut-short BMP would show whatever memory held before. Such a file
// is refused here; the rest of the checking is Qt's. Returns the layout, and in
// `readable` how far into the file the picture may be read: to the end of its rows; for a
// run-length stream, no further than the file size its header states, nor than its
// pixels could ever need. The stream itself is checked a buffer at a time, and only up
// to its end.
BmpLayout checkBmp(QFile& file, std::int64_t fileSize, std::int64_t& readable)
{
    const auto layout = bmpLayout(bytesOf(file.peek(78)));
    if (!layout)
        throw RuntimeError(err::InvalidPicture);
    const BmpLayout& bmp = *layout;
    const std::int64_t width = std::abs(bmp.width);
    if (width * bmp.height * kBytesPerPixel > kMaxPictureBytes)
        throw RuntimeError(err::OutOfMemory);
    if (bmp.pixelOffset >= fileSize)
        throw RuntimeError(err::InvalidPicture);
    readable = bmp.statedSize > bmp.pixelOffset && bmp.statedSize < fileSize ? bmp.statedSize : fileSize;
    if (bmp.uncompressed()) {
        readable = bmp.pixelOffset + bmp.stride() * bmp.height;
        if (readable > fileSize)
            throw RuntimeError(err::InvalidPicture);
    } else if (bmp.runLengths()) {
        // No stream needs more than four bytes a pixel and two a row (a jump costs four
        // and moves at least one pixel; every other code paints at least one for two).
        readable = std::min(readable, bmp.pixelOffset + 4 * width * bmp.height + 2 * bmp.height + 2);
        const std::int64_t taken = rleStreamBytes(pixelReader(file, bmp, readable), bmp.height, bmp.compression == 2);
        if (taken == 0 || !file.seek(0))
            throw RuntimeError(err::InvalidPicture);
    }
    return bmp;
}

// ---- JPEG, decoded with libjpeg-turbo itself: straight into the picture's pixels, and
// for previews of progressive files from the first scans alone.

// The EXIF orientation (1 to 8) from an APP1 marker; 1 when there is none.
int exifOrientation(jpeg_saved_marker_ptr marker)
{
    for (; marker; marker = marker->next) {
        const JOCTET* d = marker->data;
        const std::size_t n = marker->data_length;
        if (marker->marker != JPEG_APP0 + 1 || n < 14 || std::memcmp(d, "Exif\0\0", 6) != 0)
            continue;
        const JOCTET* tiff = d + 6;
        const std::size_t size = n - 6;
        const bool little = tiff[0] == 'I' && tiff[1] == 'I';
        if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
            continue;
        const auto u16 = [&](std::size_t at) -> unsigned {
            return little ? tiff[at] | tiff[at + 1] << 8 : tiff[at] << 8 | tiff[at + 1];
        };
        const auto u32 = [&](std::size_t at) -> std::size_t {
            return little ? std::size_t{u16(at)} | std::size_t{u16(at + 2)} << 16
                          : std::size_t{u16(at)} << 16 | std::size_t{u16(at + 2)};
        };
        const std::size_t ifd = u32(4);
        if (ifd + 2 > size)
            continue;
        const unsigned entries = u16(ifd);
        for (unsigned e = 0; e < entries; ++e) {
            const std::size_t at = ifd + 2 + std::size_t{e} * 12;
            if (at + 12 > size)
                break;
            if (u16(at) == 0x0112 && u16(at + 2) == 3) {
                const unsigned value = u16(at + 8);
                return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
            }
        }
    }
    return 1;
}

QImageIOHandler::Transformations orientationTransform(int orientation)
{
    switch (orientation) {
    case 2: return QImageIOHandler::TransformationMirror;
    case 3: return QImageIOHandler::TransformationRotate180;
    case 4: return QImageIOHandler::TransformationFlip;
    case 5: return QImageIOHandler::TransformationFlipAndRotate90;
    case 6: return QImageIOHandler::TransformationRotate90;
    case 7: return QImageIOHandler::TransformationMirrorAndRotate90;
    case 8: return QImageIOHandler::TransformationRotate270;
    default: return QImageIOHandler::TransformationNone;
    }
}

QImage upright(QImage image, QImageIOHandler::Transformations transform)
{
    const bool mirror = transform.testFlag(QImageIOHandler::TransformationMirror);
    const bool flip = transform.testFlag(QImageIOHandler::TransformationFlip);
    if (mirror || flip)
        image = image.mirrored(mirror, flip);
    if (transform.testFlag(QImageIOHandler::TransformationRotate90))
        image = image.transformed(QTransform().rotate(90));
    return image;
}

void adviseBigPagesFor(QImage& image)
{
    adviseBigPages(image.bits(), static_cast<std::size_t>(image.sizeInBytes()));
}

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jpegFail(j_common_ptr info);

// The file is read a piece at a time rather than whole: a photo padded with a gigabyte of
// comments costs no more memory than the photo, and the comments are skipped unread.
struct JpegSource {
    jpeg_source_mgr manager{};
    QFile* file = nullptr;
    std::vector<JOCTET> buffer;
};

void jpegSourceStart(j_decompress_ptr) {}
void jpegSourceEnd(j_decompress_ptr) {}

boolean jpegSourceFill(j_decompress_ptr info)
{
    auto& source = *reinterpret_cast<JpegSource*>(info->src);
    qint64 got = source.file->read(reinterpret_cast<char*>(source.buffer.data()),
        static_cast<qint64>(source.buffer.size()));
    if (got <= 0) {
        // A file cut short ends in an end-of-image mark, and the picture shows what arrived.
        WARNMS(info, JWRN_JPEG_EOF);
        source.buffer[0] = 0xFF;
        source.buffer[1] = JPEG_EOI;
        got = 2;
    }
    source.manager.next_input_byte = source.buffer.data();
    source.manager.bytes_in_buffer = static_cast<std::size_t>(got);
    return TRUE;
}

void jpegSourceSkip(j_decompress_ptr info, long count)
{
    auto& source = *reinterpret_cast<JpegSource*>(info->src);
    if (count <= 0)
        return;
    const auto bytes = static_cast<std::size_t>(count);
    if (bytes <= source.manager.bytes_in_buffer) {
        source.manager.next_input_byte += bytes;
        source.manager.bytes_in_buffer -= bytes;
        return;
    }
    const qint64 beyond = static_cast<qint64>(bytes - source.manager.bytes_in_buffer);
    source.manager.bytes_in_buffer = 0;
    source.file->seek(std::min(source.file->pos() + beyond, source.file->size()));
}

void jpegQuiet(j_common_ptr) {}

// A progressive file is decoded through a whole-picture buffer of coefficients, which
// libjpeg zeroes page by page. Handing it pre-zeroed anonymous memory advised to big
// pages makes that buffer nearly free; libjpeg's own manager would fault in every page.
// When only the upper rows of the picture are wanted, the rows of blocks well below them
// all share one row that is written and never shown, and take no memory of their own.
// Rows above cannot share: a refinement scan reads how far each block has come, and a
// shared row would send the decoding of the rows that follow astray.
struct BlockArray {
    JBLOCKROW* rows = nullptr;
    JDIMENSION blocksPerRow = 0;
    JDIMENSION rowCount = 0;
    BlockArray* next = nullptr;
    int component = 0;              // libjpeg asks for one array per component, in order
};

struct Mapping {
    void* base = nullptr;
    std::size_t length = 0;
};

// Everything the decoding keeps across libjpeg's long jumps lives here, built before
// the jump point, so no destructor is ever skipped.
struct JpegJob {
    JpegSource source;
    QSize box;                      // preview box; invalid for the natural size
    const KeepPart* keep = nullptr; // set when only a top-left part is wanted
    const KeepPart* fit = nullptr;  // set when the whole is wanted at a size it answers
    std::exception_ptr keepFailure; // what `keep` or `fit` threw
    QSize natural;                  // upright
    QRect part;                     // what `keep` wants, within `image`
    JpegErrors errors{};
    jpeg_decompress_struct info{};
    QImage image;                   // in the stored orientation
    std::vector<JOCTET> cmykRows;
    QSize target;                   // the preview's or the fitted size, stored orientation
    int orientation = 1;
    ErrorNumber failure{};          // the error number, when decoding failed
    std::size_t working = 0;        // what libjpeg has been given, coefficients included
    BlockArray* blockArrays = nullptr;
    int blockArrayCount = 0;
    int endBlockRow = 0;            // the stored rows, in pixels, above which coefficients are kept; 0: all
    Mapping mappings[MAX_COMPONENTS];
    int mappingCount = 0;
    void (*realizeOthers)(j_common_ptr) = nullptr;
    void* (*allocSmall)(j_common_ptr, int, std::size_t) = nullptr;
    void* (*allocLarge)(j_common_ptr, int, std::size_t) = nullptr;
    JSAMPARRAY (*allocSamples)(j_common_ptr, int, JDIMENSION, JDIMENSION) = nullptr;
    JBLOCKARRAY (*allocBlocks)(j_common_ptr, int, JDIMENSION, JDIMENSION) = nullptr;

    ~JpegJob()
    {
        for (int i = 0; i < mappingCount; ++i)
            ::munmap(mappings[i].base, mappings[i].length);
    }
};

JpegJob& jobOf(j_common_ptr info)
{
    return *static_cast<JpegJob*>(info->client_data);
}

[[noreturn]] void jpegOutOfMemory(j_common_ptr info)
{
    jobOf(info).failure = err::OutOfMemory;
    info->err->msg_code = JERR_OUT_OF_MEMORY;
    (*info->err->error_exit)(info);
    std::abort();  // error_exit never returns
}

void jpegFail(j_common_ptr info)
{
    // libjpeg's own allocations fail with the first two; anything else is damage.
    const int code = info->err->msg_code;
    // A picture past libjpeg's 65500 pixels a side is one too large to hold, not a damaged one.
    if (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE || code == JERR_IMAGE_TOO_BIG)
        jobOf(info).failure = err::OutOfMemory;
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// The decoder's working memory has the same budget as the pixels. A progressive picture
// keeps every coefficient of the whole picture, 128 bytes a block: a 16384 x 16384 one
// with full colour resolution would need 1.5 GiB besides its pixels. Everything libjpeg
// asks for is counted before it is given, so what exceeds the budget is refused unmade.
void charge(j_common_ptr info, std::size_t bytes)
{
    JpegJob& job = jobOf(info);
    if (bytes > static_cast<std::size_t>(kMaxPictureBytes) - job.working)
        jpegOutOfMemory(info);
    job.working += bytes;
}

void* chargedSmall(j_common_ptr info, int pool, std::size_t bytes)
{
    charge(info, bytes);
    return (*jobOf(info).allocSmall)(info, pool, bytes);
}

void* chargedLarge(j_common_ptr info, int pool, std::size_t bytes)
{
    charge(info, bytes);
    return (*jobOf(info).allocLarge)(info, pool, bytes);
}

JSAMPARRAY chargedSamples(j_common_ptr info, int pool, JDIMENSION perRow, JDIMENSION rows)
{
    charge(info, (std::size_t{perRow} * sizeof(JSAMPLE) + sizeof(JSAMPROW)) * rows);
    return (*jobOf(info).allocSamples)(info, pool, perRow, rows);
}

JBLOCKARRAY chargedBlocks(j_common_ptr info, int pool, JDIMENSION perRow, JDIMENSION rows)
{
    charge(info, (std::size_t{perRow} * sizeof(JBLOCK) + sizeof(JBLOCKROW)) * rows);
    return (*jobOf(info).allocBlocks)(info, pool, perRow, rows);
}

jvirt_barray_ptr requestBlockArray(j_common_ptr info, int pool, boolean, JDIMENSION blocksPerRow,
    JDIMENSION rowCount, JDIMENSION)
{
    if (pool != JPOOL_IMAGE)
        jpegOutOfMemory(info);
    auto* array = static_cast<BlockArray*>((*info->mem->alloc_small)(info, JPOOL_IMAGE, sizeof(BlockArray)));
    JpegJob& job = jobOf(info);
    *array = BlockArray{nullptr, blocksPerRow, rowCount, job.blockArrays, job.blockArrayCount++};
    job.blockArrays = array;
    return reinterpret_cast<jvirt_barray_ptr>(array);
}

// The block rows of `array` above the one returned get memory of their own, the rest share one.
JDIMENSION keptBlockRows(const JpegJob& job, const jpeg_decompress_struct& info, const BlockArray& array)
{
    if (job.endBlockRow <= 0 || array.component >= info.num_components)
        return array.rowCount;
    const jpeg_component_info& component = info.comp_info[array.component];
    const auto v = static_cast<JDIMENSION>(component.v_samp_factor);
    const JDIMENSION rowsPerBlock = DCTSIZE * static_cast<JDIMENSION>(info.max_v_samp_factor) / v;
    // Anything unexpected keeps every row.
    if (DCTSIZE * static_cast<JDIMENSION>(info.max_v_samp_factor) % v != 0
        || array.rowCount != (component.height_in_blocks + v - 1) / v * v)
        return array.rowCount;
    return std::min(array.rowCount,
        (static_cast<JDIMENSION>(job.endBlockRow) + rowsPerBlock * v - 1) / (rowsPerBlock * v) * v);
}

std::size_t blockArrayBytes(const BlockArray& array, JDIMENSION kept)
{
    return std::size_t{array.blocksPerRow} * sizeof(JBLOCK) * (kept + (kept < array.rowCount ? 1 : 0));
}

void realizeArrays(j_common_ptr info)
{
    JpegJob& job = jobOf(info);
    const auto& decompress = *reinterpret_cast<j_decompress_ptr>(info);
    // All the coefficients together, before any of them get memory.
    std::size_t total = 0;
    for (const BlockArray* array = job.blockArrays; array; array = array->next)
        if (!array->rows)
            total += blockArrayBytes(*array, keptBlockRows(job, decompress, *array));
    charge(info, total);
    for (BlockArray* array = job.blockArrays; array; array = array->next) {
        if (array->rows)
            continue;
        const JDIMENSION last = keptBlockRows(job, decompress, *array);
        const std::size_t rowBytes = std::size_t{array->blocksPerRow} * sizeof(JBLOCK);
        const std::size_t bytes = blockArrayBytes(*array, last);
        if (job.mappingCount == MAX_COMPONENTS)
            jpegOutOfMemory(info);
        const std::size_t length = bytes + kBigPage;
        void* base = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            jpegOutOfMemory(info);
        job.mappings[job.mappingCount++] = {base, length};
        const auto start = (reinterpret_cast<std::uintptr_t>(base) + kBigPage - 1) & ~(kBigPage - 1);
        adviseBigPages(reinterpret_cast<void*>(start), bytes);
        array->rows = static_cast<JBLOCKROW*>(
            (*info->mem->alloc_large)(info, JPOOL_IMAGE, sizeof(JBLOCKROW) * array->rowCount));
        auto* const kept = reinterpret_cast<unsigned char*>(start);
        for (JDIMENSION r = 0; r < array->rowCount; ++r)
            array->rows[r] = reinterpret_cast<JBLOCKROW>(kept + rowBytes * std::min(r, last));
    }
    (*job.realizeOthers)(info);
}

JBLOCKARRAY accessBlockArray(j_common_ptr, jvirt_barray_ptr handle, JDIMENSION firstRow, JDIMENSION, boolean)
{
    return reinterpret_cast<BlockArray*>(handle)->rows + firstRow;
}

void cmykToRgb(const JOCTET* cmyk, QRgb* out, JDIMENSION width, bool adobe)
{
    // Adobe's files (nearly all CMYK JPEGs) store the four inks inverted.
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!adobe) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

bool runJpeg(JpegJob& job)
{
    jpeg_decompress_struct& info = job.info;
    info.err = jpeg_std_error(&job.errors.manager);
    job.errors.manager.error_exit = jpegFail;
    job.errors.manager.output_message = jpegQuiet;  // damage shows in the pixels
    if (setjmp(job.errors.jump)) {
        jpeg_destroy_decompress(&info);
        if (job.failure == ErrorNumber{})
            job.failure = err::InvalidPicture;
        return false;
    }
    info.client_data = &job;  // kept by jpeg_create_decompress, which may already fail
    jpeg_create_decompress(&info);
    jpeg_memory_mgr& memory = *info.mem;
    job.realizeOthers = memory.realize_virt_arrays;
    job.allocSmall = memory.alloc_small;
    job.allocLarge = memory.alloc_large;
    job.allocSamples = memory.alloc_sarray;
    job.allocBlocks = memory.alloc_barray;
    memory.alloc_small = chargedSmall;
    memory.alloc_large = chargedLarge;
    memory.alloc_sarray = chargedSamples;
    memory.alloc_barray = chargedBlocks;
    memory.request_virt_barray = requestBlockArray;
    memory.realize_virt_arrays = realizeArrays;
    memory.access_virt_barray = accessBlockArray;
    // Newer libjpeg-turbo counts its own allocations against this as well.
    memory.max_memory_to_use = static_cast<long>(kMaxPictureBytes);
    JpegSource& source = job.source;
    source.manager.init_source = jpegSourceStart;
    source.manager.fill_input_buffer = jpegSourceFill;
    source.manager.skip_input_data = jpegSourceSkip;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = jpegSourceEnd;
    info.src = &source.manager;
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    if (std::int64_t{info.image_width} * info.image_height * 4 > kMaxPictureBytes) {
        jpeg_destroy_decompress(&info);
        job.failure = err::OutOfMemory;
        return false;
    }
    job.orientation = exifOrientation(info.marker_list);
    const QSize stored(static_cast<int>(info.image_width), static_cast<int>(info.image_height));
    const auto transform = orientationTransform(job.orientation);
    const bool turned = transform.testFlag(QImageIOHandler::TransformationRotate90);
    job.natural = turned ? stored.transposed() : stored;
    // The caller's answer for the natural size, clamped to it; false when it threw.
    const auto ask = [&job, &info](const KeepPart& question, QSize& answer) {
        try {
            answer = clampedPart(question(job.natural), job.natural);
            return true;
        } catch (...) {
            job.keepFailure = std::current_exception();
            jpeg_destroy_decompress(&info);
            return false;
        }
    };
    if (job.keep) {
        QSize kept;
        if (!ask(*job.keep, kept))
            return false;
        // upright() mirrors and flips first, then turns clockwise, which brings the
        // stored bottom-left corner to the top-left.
        const QSize need = turned ? kept.transposed() : kept;
        const bool right = transform.testFlag(QImageIOHandler::TransformationMirror);
        const bool bottom = transform.testFlag(QImageIOHandler::TransformationFlip) != turned;
        job.part = QRect(right ? stored.width() - need.width() : 0, bottom ? stored.height() - need.height() : 0,
            need.width(), need.height());
        // Block smoothing and upsampling look at most an iMCU row below the rows they
        // give; three leave room to spare.
        job.endBlockRow = job.part.bottom() + 1 + 3 * DCTSIZE * info.max_v_samp_factor;
    }

    int denominator = 1;
    if (job.box.isValid() && !job.box.isEmpty()) {
        job.target = previewSize(stored, transform, job.box);
        while (job.target.isValid() && denominator < 8
            && (stored.width() + 2 * denominator - 1) / (2 * denominator) >= job.target.width()
            && (stored.height() + 2 * denominator - 1) / (2 * denominator) >= job.target.height())
            denominator *= 2;
    }
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(denominator);
    if (job.fit) {
        QSize wanted;
        if (!ask(*job.fit, wanted))
            return false;
        if (wanted != job.natural) {
            job.target = turned ? wanted.transposed() : wanted;
            // The smallest of libjpeg's scales, in eighths, that still covers the target:
            // what is not decoded costs neither memory nor scaling down. Unlike a preview,
            // every scan of a progressive photo is read: the board shows it sharp.
            for (unsigned eighths = 1; eighths <= 8; ++eighths) {
                info.scale_num = eighths;
                info.scale_denom = 8;
                jpeg_calc_output_dimensions(&info);
                if (info.output_width >= static_cast<JDIMENSION>(job.target.width())
                    && info.output_height >= static_cast<JDIMENSION>(job.target.height()))
                    break;
            }
        }
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    // A scaled output needs only the first coefficients of each block, and a progressive
    // file sends those first: read no further than that.
    const bool early = denominator > 1 && info.progressive_mode;
    info.buffered_image = early ? TRUE : FALSE;
    // Smoothing guesses the missing coefficients from the neighbours' DC values: costly,
    // and invisible once the picture is scaled down to the box.
    if (early)
        info.do_block_smoothing = FALSE;
    jpeg_start_decompress(&info);
    if (early) {
        const int lastCoefficient = denominator == 8 ? 0 : denominator == 4 ? 4 : 24;
        const auto received = [&info, lastCoefficient] {
            for (int c = 0; c < info.num_components; ++c)
                for (int k = 0; k <= lastCoefficient; ++k)
                    if (info.coef_bits[c][k] < 0)
                        return false;
            return true;
        };
        while (!received()) {
            const int status = jpeg_consume_input(&info);
            if (status == JPEG_REACHED_EOI || status == JPEG_SUSPENDED)
                break;
        }
        jpeg_start_output(&info, info.input_scan_number);
    }

    // Only the stored rows and columns that hold the part are decoded. Upsampling the
    // colour at a cut edge repeats the last colour sample instead of blending in its
    // neighbour, so each cut leaves a margin of one iMCU (libjpeg aligns the cut to
    // iMCUs anyway) between itself and the part. Rows below the part are simply not
    // read, which changes nothing above them.
    const JDIMENSION unitWidth = static_cast<JDIMENSION>(info.max_h_samp_factor * info.min_DCT_scaled_size);
    const JDIMENSION unitHeight = static_cast<JDIMENSION>(info.max_v_samp_factor * info.min_DCT_scaled_size);
    if (!job.keep)
        job.part = QRect(0, 0, static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    JDIMENSION left = 0;
    JDIMENSION width = info.output_width;
    if (static_cast<JDIMENSION>(job.part.left()) > unitWidth) {
        left = static_cast<JDIMENSION>(job.part.left()) - unitWidth;
        width = info.output_width - left;
    } else if (static_cast<JDIMENSION>(job.part.right() + 1) + unitWidth < info.output_width) {
        width = static_cast<JDIMENSION>(job.part.right() + 1) + unitWidth;
    }
    if (width < info.output_width)
        jpeg_crop_scanline(&info, &left, &width);
    JDIMENSION top = 0;
    if (static_cast<JDIMENSION>(job.part.top()) > unitHeight)
        top = (static_cast<JDIMENSION>(job.part.top()) - unitHeight) / unitHeight * unitHeight;
    const JDIMENSION end = static_cast<JDIMENSION>(job.part.bottom() + 1);
    if (top > 0) {
        jpeg_skip_scanlines(&info, top);
        top = info.output_scanline;
    }
    job.part.translate(-static_cast<int>(left), -static_cast<int>(top));

    job.image = QImage(static_cast<int>(info.output_width), static_cast<int>(end - info.output_scanline),
        QImage::Format_RGB32);
    if (job.image.isNull()) {
        jpeg_destroy_decompress(&info);
        job.failure = err::OutOfMemory;
        return false;
    }
    adviseBigPagesFor(job.image);
    const auto stride = static_cast<std::size_t>(job.image.bytesPerLine());
    if (cmyk)
        job.cmykRows.resize(std::size_t{info.output_width} * 4 * 16);
    while (info.output_scanline < end) {
        JSAMPROW rows[16];
        const JDIMENSION first = info.output_scanline - top;
        const JDIMENSION count = std::min<JDIMENSION>(16, end - info.output_scanline);
        for (JDIMENSION r = 0; r < count; ++r)
            rows[r] = cmyk ? job.cmykRows.data() + std::size_t{r} * info.output_width * 4
                           : job.image.bits() + (first + r) * stride;
        const JDIMENSION read = jpeg_read_scanlines(&info, rows, count);
        if (read == 0)
            break;
        if (cmyk)
            for (JDIMENSION r = 0; r < read; ++r)
                cmykToRgb(rows[r], reinterpret_cast<QRgb*>(job.image.bits() + (first + r) * stride),
                    info.output_width, info.saw_Adobe_marker);
    }
    // No jpeg_finish_decompress: whatever follows the pixels is of no interest, and a
    // huge tail of junk would only be read through.
    jpeg_destroy_decompress(&info);
    return true;
}

// The rectangle `part` of `image` without copying a pixel: the result holds on to the
// whole buffer and shows only the part.
QImage view(QImage image, QRect part)
{
    if (part == image.rect())
        return image;
    auto* owner = new QImage(std::move(image));
    uchar* first = owner->bits() + static_cast<qsizetype>(part.y()) * owner->bytesPerLine() + part.x() * kBytesPerPixel;
    return QImage(first, part.width(), part.height(), owner->bytesPerLine(), QImage::Format_RGB32,
        [](void* held) { delete static_cast<QImage*>(held); }, owner);
}

QImage decodeJpeg(QFile& file, QSize box, const KeepPart* keep, QSize* natural, const KeepPart* fit)
{
    JpegJob job;
    job.source.file = &file;
    job.source.buffer.resize(std::size_t{1} << 14);
    job.box = box;
    job.keep = keep;
    job.fit = fit;
    if (!runJpeg(job)) {
        if (job.keepFailure)
            std::rethrow_exception(job.keepFailure);
        throw RuntimeError(job.failure);
    }
    if (natural)
        *natural = job.natural;
    QImage image = upright(view(std::move(job.image), job.part), orientationTransform(job.orientation));
    const bool turned = orientationTransform(job.orientation).testFlag(QImageIOHandler::TransformationRotate90);
    const QSize target = turned ? job.target.transposed() : job.target;
    if (target.isValid() && image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.isNull())
        throw RuntimeError(err::OutOfMemory);
    return image;
}

// The preview's size, and how much smaller than the picture it is read first: at a
// step of 1 the picture is decoded whole and scaled, else at the reduced size.
struct PreviewPlan {
    QSize size;           // invalid: the picture as it is
    ReducedRows reduce;
};

PreviewPlan previewPlan(QSize picture, QSize box)
{
    if (!box.isValid() || box.isEmpty())
        return {};
    const QSize size = previewSize(picture, QImageIOHandler::TransformationNone, box);
    if (!size.isValid())
        return {};
    return {size, ReducedRows::toCover(picture.width(), picture.height(), size.width(), size.height())};
}

// For loadFittedPicture: `fit` asked once, when the natural size is first known.
struct FitRequest {
    const KeepPart& fit;
    std::optional<QSize> wanted;

    QSize ask(QSize natural)
    {
        if (!wanted)
            wanted = clampedPart(fit(natural), natural);
        return *wanted;
    }
};

// A GIF or BMP fitted far smaller than it is read as a preview of exactly the size
// wanted: one row in several, so that a huge picture never needs its whole pixels, each
// averaged straight to the width wanted, so that only the rows are left to scale smoothly
// and the reduced picture is no wider than the fitted one. Nothing (read whole, scaled
// after) when it is not that much smaller.
PreviewPlan fitPlan(QSize picture, FitRequest* fitting)
{
    if (!fitting)
        return {};
    const QSize wanted = fitting->ask(picture);
    ReducedRows reduce = ReducedRows::toCover(picture.width(), picture.height(), wanted.width(), wanted.height());
    reduce.columns = wanted.width();
    if (reduce.step == 1)
        return {};
    return {wanted, reduce};
}

// A picture made at its reduced size, scaled smoothly to the preview's.
QImage finishPreview(QImage image, QSize size)
{
    if (image.isNull())
        throw RuntimeError(err::OutOfMemory);
    if (size.isValid() && image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.isNull())
        throw RuntimeError(err::OutOfMemory);
    return image;
}

// The first frame of a GIF straight into the picture's pixels; with `keep`, only the
// kept top-left part. A preview is the whole picture scaled, as Qt's reader makes it, from
// a reduced picture when the whole is far larger than the preview.
QImage decodeGif(QFile& file, QSize box, const PictureOptions& options, const KeepPart* keep, QSize* natural,
    FitRequest* fitting)
{
    GifFrame gif([&file](std::uint8_t* into, std::size_t most) {
        const qint64 got = file.read(reinterpret_cast<char*>(into), static_cast<qint64>(most));
        return got > 0 ? static_cast<std::size_t>(got) : std::size_t{0};
    });
    if (!gif.readHeader() || gif.width() == 0 || gif.height() == 0)
        throw RuntimeError(err::InvalidPicture);
    const QSize whole(gif.width(), gif.height());
    if (std::int64_t{whole.width()} * whole.height() * kBytesPerPixel > kMaxPictureBytes)
        throw RuntimeError(err::OutOfMemory);
    if (natural)
        *natural = whole;
    const PreviewPlan preview = fitting ? fitPlan(whole, fitting) : previewPlan(whole, box);
    if (preview.reduce.step > 1) {
        QImage reduced(preview.reduce.reducedWidth(whole.width()), preview.reduce.reduced(whole.height()),
            QImage::Format_RGB32);
        if (reduced.isNull())
            throw RuntimeError(err::OutOfMemory);
        if (!gif.readReduced(reinterpret_cast<Pixel*>(reduced.bits()), reduced.bytesPerLine() / kBytesPerPixel,
                preview.reduce, options.background.rgb()))
            throw RuntimeError(err::InvalidPicture);
        return finishPreview(std::move(reduced), preview.size);
    }
    const QSize part = keep ? clampedPart((*keep)(whole), whole) : whole;
    QImage image(part, QImage::Format_RGB32);
    if (image.isNull())
        throw RuntimeError(err::OutOfMemory);
    adviseBigPagesFor(image);
    if (!gif.readPixels(reinterpret_cast<Pixel*>(image.bits()), image.bytesPerLine() / kBytesPerPixel,
            part.width(), part.height(), options.background.rgb()))
        throw RuntimeError(err::InvalidPicture);
    return finishPreview(std::move(image), preview.size);
}

// The commonest BMP read straight into the picture's pixels, in blocks of rows; with
// `keep`, only the rows and columns of the kept top-left part.
QImage decodePlainBmp(QFile& file, const BmpLayout& bmp, const KeepPart* keep, QSize* natural)
{
    const QSize whole(static_cast<int>(bmp.width), static_cast<int>(bmp.height));
    QSize part = whole;
    if (keep) {
        part = clampedPart((*keep)(whole), whole);
    }
    QImage image(part, QImage::Format_RGB32);
    if (image.isNull())
        throw RuntimeError(err::OutOfMemory);
    adviseBigPagesFor(image);
    // The kept rows lie together in the file, whichever way up it is stored.
    const std::int32_t rows = part.height();
    const std::int64_t stride = bmp.stride();
    const std::int64_t first = bmp.topDown ? bmp.rowOffset(0) : bmp.rowOffset(rows - 1);
    if (!file.seek(first))
        throw RuntimeError(err::InvalidPicture);
    constexpr std::int64_t kBlockBytes = std::int64_t{1} << 18;
    const std::int32_t perBlock = static_cast<std::int32_t>(std::clamp<std::int64_t>(kBlockBytes / stride, 1, rows));
    std::vector<std::uint8_t> block(static_cast<std::size_t>(stride * perBlock));
    for (std::int32_t done = 0; done < rows; done += perBlock) {
        const std::int32_t count = std::min(perBlock, rows - done);
        const std::int64_t bytes = stride * count;
        if (file.read(reinterpret_cast<char*>(block.data()), bytes) != bytes)
            throw RuntimeError(err::InvalidPicture);  // the file shrank under us
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int32_t stored = done + i;  // in file order
            const std::int32_t y = bmp.topDown ? stored : rows - 1 - stored;
            bmpRowToPixels(bmp, block.data() + static_cast<std::size_t>(stride) * i,
                reinterpret_cast<Pixel*>(image.scanLine(y)), part.width());
        }
    }
    if (natural)
        *natural = whole;
    return image;
}

void putLe32(QByteArray& bytes, qsizetype at, std::int64_t value)
{
    qToLittleEndian(static_cast<quint32>(value), bytes.data() + at);
}

// Rows of an uncompressed BMP, decoded by Qt a few at a time from a BMP made of the
// file's own headers and just those rows, cut to their first `columns` pixels: each comes
// out exactly as in the whole picture, since every pixel is decoded on its own, for the
// cost of those rows and columns alone. `take(i, pixels)` is handed picture row rows[i],
// as `columns` opaque pixels.
void decodeBmpRows(QIODevice& file, const BmpLayout& bmp, const std::vector<std::int64_t>& rows,
    std::int64_t columns, const QColor& background, const std::function<void(std::size_t, const QRgb*)>& take)
{
    if (!file.seek(0))
        throw RuntimeError(err::InvalidPicture);
    const QByteArray head = file.read(bmp.headerEnd);
    if (head.size() != bmp.headerEnd)
        throw RuntimeError(err::InvalidPicture);
    // A row's first pixels are its first bytes, whatever their depth.
    BmpLayout cut = bmp;
    cut.width = std::clamp<std::int64_t>(columns, 1, bmp.width);
    const std::int64_t stride = cut.stride();
    // A few MiB at a time; never so many rows that an OS/2 header's 16-bit height turns negative.
    constexpr std::int64_t kChunkBytes = std::int64_t{4} << 20;
    const auto perChunk = static_cast<std::size_t>(std::clamp<std::int64_t>(kChunkBytes / stride, 1, 1 << 14));
    for (std::size_t start = 0; start < rows.size(); start += perChunk) {
        const std::size_t count = std::min(perChunk, rows.size() - start);
        QByteArray part = head;
        part.resize(static_cast<qsizetype>(bmp.headerEnd + stride * static_cast<std::int64_t>(count)));
        // Stored bottom-up, as the header's positive height says: the last row first.
        for (std::size_t i = 0; i < count; ++i) {
            char* into = part.data() + bmp.headerEnd + stride * static_cast<std::int64_t>(count - 1 - i);
            if (!file.seek(bmp.rowOffset(rows[start + i])) || file.read(into, stride) != stride)
                throw RuntimeError(err::InvalidPicture);  // the file shrank under us
        }
        putLe32(part, 2, part.size());
        putLe32(part, 10, bmp.headerEnd);
        if (bmp.headerSize == 12) {
            qToLittleEndian(static_cast<quint16>(cut.width), part.data() + 18);
            qToLittleEndian(static_cast<quint16>(count), part.data() + 20);
        } else {
            putLe32(part, 18, cut.width);
            putLe32(part, 22, static_cast<std::int64_t>(count));
            putLe32(part, 34, stride * static_cast<std::int64_t>(count));
        }
        QBuffer device(&part);
        device.open(QIODevice::ReadOnly);
        QImageReader reader(&device, "bmp");
        QImage image;
        if (!reader.read(&image))
            throw RuntimeError(err::InvalidPicture);
        image = opaque(std::move(image), background);
        if (image.isNull())
            throw RuntimeError(err::OutOfMemory);
        for (std::size_t i = 0; i < count; ++i)
            take(start + i, reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(i))));
    }
}

// The preview of a BMP from `rows` of an uncompressed one, the rows that the reduced
// picture's rows stand for.
QImage previewFromRows(QIODevice& device, const BmpLayout& bmp, const std::vector<std::int64_t>& rows,
    const PreviewPlan& preview, const QColor& background)
{
    const ReducedRows& reduce = preview.reduce;
    const auto width = static_cast<std::int32_t>(bmp.width);
    QImage reduced(reduce.reducedWidth(width), static_cast<int>(rows.size()), QImage::Format_RGB32);
    if (reduced.isNull())
        throw RuntimeError(err::OutOfMemory);
    decodeBmpRows(device, bmp, rows, width, background, [&](std::size_t i, const QRgb* pixels) {
        reduce.averageRow(pixels, width, reinterpret_cast<Pixel*>(reduced.scanLine(static_cast<int>(i))));
    });
    return finishPreview(std::move(reduced), preview.size);
}

// Rows 0 to count - 1.
std::vector<std::int64_t> firstRows(std::int64_t count)
{
    std::vector<std::int64_t> rows(static_cast<std::size_t>(count));
    std::iota(rows.begin(), rows.end(), std::int64_t{0});
    return rows;
}

// A preview of an uncompressed BMP far larger than it, from one row in every reduce.step.
QImage previewBmpRows(QFile& file, const BmpLayout& bmp, const PreviewPlan& preview, const QColor& background)
{
    const auto height = static_cast<std::int32_t>(bmp.height);
    std::vector<std::int64_t> rows(static_cast<std::size_t>(preview.reduce.reduced(height)));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = preview.reduce.sourceRow(static_cast<std::int32_t>(i), height);
    return previewFromRows(file, bmp, rows, preview, background);
}

// The palette indices a run-length stream paints, as an uncompressed 8-bit BMP behind the
// file's own headers and palette, so that Qt colours them exactly as it would the whole:
// `width` columns of `rows` rows, where rowOf(y) answers the row picture row y (0 = top)
// becomes, or -1 when it is not kept. The stream is read once, a buffer at a time, and
// only the kept rows and columns take memory; what it leaves unpainted takes index 0.
QByteArray rleIndices(QFile& file, const BmpLayout& bmp, std::int64_t readable, std::int64_t width,
    std::int64_t rows, const std::function<std::int64_t(std::int64_t)>& rowOf)
{
    const std::int64_t stride = (width + 3) / 4 * 4;
    if (!file.seek(0))
        throw RuntimeError(err::InvalidPicture);
    QByteArray indices = file.read(bmp.headerEnd);
    if (indices.size() != bmp.headerEnd)
        throw RuntimeError(err::InvalidPicture);
    indices.resize(static_cast<qsizetype>(bmp.headerEnd + stride * rows), '\0');
    putLe32(indices, 2, indices.size());
    putLe32(indices, 10, bmp.headerEnd);
    putLe32(indices, 18, width);
    putLe32(indices, 22, rows);
    qToLittleEndian<quint16>(8, indices.data() + 28);
    putLe32(indices, 30, 0);
    putLe32(indices, 34, stride * rows);
    putLe32(indices, 46, (bmp.headerEnd - 14 - bmp.headerSize) / 4);  // the palette as long as it is
    auto* const pixels = reinterpret_cast<std::uint8_t*>(indices.data()) + bmp.headerEnd;
    decodeRle(pixelReader(file, bmp, readable), bmp.width, bmp.height, bmp.compression == 2, width,
        [&](std::int64_t y) -> std::uint8_t* {
            // Qt decodes a top-down stream as a bottom-up one, then turns the picture over.
            const std::int64_t row = rowOf(bmp.topDown ? bmp.height - 1 - y : y);
            return row < 0 ? nullptr : pixels + stride * (rows - 1 - row);  // stored bottom-up
        });
    return indices;
}

// The layout of a BMP made here.
BmpLayout layoutOf(const QByteArray& bmp)
{
    const auto layout = bmpLayout(bytesOf(bmp.left(78)));
    if (!layout)
        throw RuntimeError(err::InvalidPicture);
    return *layout;
}

// A preview of a run-length BMP far larger than it, from the palette indices of one row in
// every reduce.step.
QImage previewRleRows(QFile& file, const BmpLayout& bmp, std::int64_t readable, const PreviewPlan& preview,
    const QColor& background)
{
    const ReducedRows& reduce = preview.reduce;
    const auto height = static_cast<std::int32_t>(bmp.height);
    const std::int32_t kept = reduce.reduced(height);
    QByteArray rows = rleIndices(file, bmp, readable, bmp.width, kept, [&](std::int64_t y) -> std::int64_t {
        return reduce.reads(static_cast<std::int32_t>(y), height) ? y / reduce.step : -1;
    });
    const BmpLayout layout = layoutOf(rows);
    QBuffer device(&rows);
    device.open(QIODevice::ReadOnly);
    return previewFromRows(device, layout, firstRows(kept), preview, background);
}

// The kept top-left part of an uncompressed BMP, from its kept rows and columns alone.
QImage partOfBmpRows(QIODevice& file, const BmpLayout& bmp, QSize part, const QColor& background)
{
    QImage image(part, QImage::Format_RGB32);
    if (image.isNull())
        throw RuntimeError(err::OutOfMemory);
    const auto rowBytes = static_cast<std::size_t>(part.width()) * sizeof(QRgb);
    decodeBmpRows(file, bmp, firstRows(part.height()), part.width(), background,
        [&](std::size_t i, const QRgb* pixels) { std::memcpy(image.scanLine(static_cast<int>(i)), pixels, rowBytes); });
    return image;
}

// The kept top-left part of a run-length BMP. A stream stored bottom-up brings the kept
// rows last, so all of it is read, but only the kept rows and columns take memory.
QImage partOfRleRows(QFile& file, const BmpLayout& bmp, std::int64_t readable, QSize part, const QColor& background)
{
    QByteArray rows = rleIndices(file, bmp, readable, part.width(), part.height(),
        [&](std::int64_t y) { return y < part.height() ? y : -1; });
    const BmpLayout layout = layoutOf(rows);
    QBuffer device(&rows);
    device.open(QIODevice::ReadOnly);
    return partOfBmpRows(device, layout, part, background);
}

// The picture smoothly scaled to `wanted`, when that is not its size.
QImage scaledTo(QImage image, QSize wanted)
{
    if (wanted == image.size())
        return image;
    image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.isNull())
        throw RuntimeError(err::OutOfMemory);
    return image;
}

// Metafiles, GIF and BMP.
QImage decodeOther(QFile& file, Kind kind, std::int64_t fileSize, QSize box, const PictureOptions& options,
    const KeepPart* keep, QSize* natural, FitRequest* fitting)
{
    if (kind == Kind::Metafile) {
        // Whatever follows the end its header gives is never drawn, so it is not read: a
        // small drawing at the head of a huge file costs what the drawing costs.
        const qint64 length = metafileLength(file, fileSize);
        QImage image = renderMetafile(file.read(length), options.twipsX, options.twipsY);
        if (natural)
            *natural = image.size();
        if (keep)
            (*keep)(image.size());
        return image;
    }
    if (kind == Kind::Gif)
        return decodeGif(file, box, options, keep, natural, fitting);
    std::int64_t readable = 0;
    const BmpLayout bmp = checkBmp(file, fileSize, readable);
    const QSize pictureSize(static_cast<int>(std::abs(bmp.width)), static_cast<int>(bmp.height));
    const PreviewPlan preview = fitting ? fitPlan(pictureSize, fitting) : previewPlan(pictureSize, box);
    if (bmp.plain() && !preview.size.isValid())
        return decodePlainBmp(file, bmp, keep, natural);
    // The rows of any other uncompressed BMP stand apart in the file: a preview or a part
    // needs only some of them. The later headers, which end at 124 bytes, hold nothing
    // that reaches past the palette.
    if (bmp.uncompressed() && bmp.width > 0 && bmp.height > 0 && bmp.headerSize <= 124
        && (preview.reduce.step > 1 || keep)) {
        if (natural)
            *natural = pictureSize;
        if (preview.reduce.step > 1)
            return previewBmpRows(file, bmp, preview, options.background);
        return partOfBmpRows(file, bmp, clampedPart((*keep)(pictureSize), pictureSize), options.background);
    }
    // A run-length stream must be read through to its top rows, but only a few of them
    // need colours and memory.
    if (bmp.runLengths() && bmp.width > 0 && bmp.headerSize <= 124 && (preview.reduce.step > 1 || keep)) {
        if (natural)
            *natural = pictureSize;
        if (preview.reduce.step > 1)
            return previewRleRows(file, bmp, readable, preview, options.background);
        return partOfRleRows(file, bmp, readable, clampedPart((*keep)(pictureSize), pictureSize), options.background);
    }

    // Qt refuses anything above 128 MB by default, which an 8000 x 6000 photo exceeds.
    // The limit is raised to ours, and ours is checked first against what the header
    // claims, so a forged header is refused before a pixel buffer exists. The limit is
    // Qt's for the whole process and previews decode on a thread of their own: it is set
    // once, never while another decode reads it.
    static std::once_flag limitRaised;
    std::call_once(limitRaised, [] { QImageReader::setAllocationLimit(static_cast<int>(kMaxPictureBytes >> 20)); });
    FilePrefix prefix(file, readable);
    QImageReader reader(&prefix, "bmp");
    reader.setAutoTransform(true);
    // A top-down BMP reports its height negative, as its header stores it.
    const QSize claimed = reader.size();
    const std::int64_t width = std::abs(std::int64_t{claimed.width()});
    const std::int64_t height = std::abs(std::int64_t{claimed.height()});
    if (width == 0 || height == 0)
        throw RuntimeError(err::InvalidPicture);
    if (width * height * kBytesPerPixel > kMaxPictureBytes)
        throw RuntimeError(err::OutOfMemory);
    const QSize stored(static_cast<int>(width), static_cast<int>(height));
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    if (keep)
        (*keep)(turned ? stored.transposed() : stored);
    if (box.isValid() && !box.isEmpty()) {
        const QSize reduced = previewSize(stored, reader.transformation(), box);
        if (reduced.isValid())
            reader.setScaledSize(reduced);
    }

    // Qt's decoder fails a picture it cannot allocate just as it fails a damaged file, so
    // the pixels are allocated here and handed to it: it fills an image of the right
    // size and format instead of making its own. Its scaled preview is made after the
    // decoding succeeded, and comes out null when that allocation fails.
    QImage image;
    if (reader.imageFormat() != QImage::Format_Invalid) {
        image = QImage(stored, reader.imageFormat());
        if (image.isNull())
            throw RuntimeError(err::OutOfMemory);
        // What a run-length stream jumps over is never written: it shows index 0, as in a
        // part or a preview, not what the memory held before.
        if (bmp.runLengths())
            image.fill(0);
    }
    if (!reader.read(&image))
        throw RuntimeError(err::InvalidPicture);
    if (image.isNull())
        throw RuntimeError(err::OutOfMemory);
    image = opaque(std::move(image), options.background);
    if (image.isNull())
        throw RuntimeError(err::OutOfMemory);
    if (natural)
        *natural = image.size();
    return image;
}

// `keep` and `natural` only for loadPicturePart, `fit` only for loadFittedPicture.
QImage decode(const QString& path, QSize box, const PictureOptions& options, const KeepPart* keep = nullptr,
    QSize* natural = nullptr, const KeepPart* fit = nullptr)
{
    if (path.isEmpty())
        return {};
    QFile file;
    std::int64_t fileSize = 0;
    openRegularFile(path, file, fileSize);

    const Kind kind = sniff(file.peek(16));
    if (kind == Kind::Unknown)
        throw RuntimeError(err::InvalidPicture);
    if (fileSize > kMaxFileBytes)
        throw RuntimeError(err::OutOfMemory);
    if (kind == Kind::Jpeg)
        return decodeJpeg(file, box, keep, natural, fit);
    std::optional<FitRequest> fitting;
    if (fit)
        fitting.emplace(FitRequest{*fit, std::nullopt});
    QImage image = decodeOther(file, kind, fileSize, box, options, keep, natural, fitting ? &*fitting : nullptr);
    return fitting ? scaledTo(std::move(image), fitting->ask(image.size())) : image;
}

}  // namespace

// Any allocation that fails on the way, in Qt, in the standard library or in our own
// buffers, is error 7 like a picture refused for its size.
QImage decodeOrOutOfMemory(const QString& path, QSize box, const PictureOptions& options,
    const KeepPart* keep = nullptr, QSize* natural = nullptr, const KeepPart* fit = nullptr)
{
    try {
        return decode(path, box, options, keep, natural, fit);
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory);
    }
}

QImage loadPicture(const QString& path, const PictureOptions& options)
{
    return decodeOrOutOfMemory(path, {}, options);
}

QImage loadPreview(const QString& path, QSize box, const PictureOptions& options)
{
    return decodeOrOutOfMemory(path, box, options);
}

PicturePart loadPicturePart(const QString& path, const std::function<QSize(QSize natural)>& keep,
    const PictureOptions& options)
{
    PicturePart part;
    part.image = decodeOrOutOfMemory(path, {}, options, &keep, &part.natural);
    return part;
}

QImage loadFittedPicture(const QString& path, const std::function<QSize(QSize natural)>& fit,
    const PictureOptions& options)
{
    return decodeOrOutOfMemory(path, {}, options, nullptr, nullptr, &fit);
}

}  // namespace tessaron
