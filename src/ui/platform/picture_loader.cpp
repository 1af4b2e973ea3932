#include "ui/platform/picture_loader.h"

#include "core/platform/big_pages.h"
#include "core/platform/bmp_rows.h"
#include "core/platform/gif_frame.h"
#include "ui/platform/metafile_render.h"
#include "ui/platform/native_names.h"
#include "core/platform/runtime_error.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRect>
#include <QTransform>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
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

int openErrorNumber(int error)
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

std::uint32_t le32(const QByteArray& bytes, qsizetype at)
{
    if (at + 4 > bytes.size())
        return 0;
    const auto b = [&](qsizetype i) { return std::uint32_t{static_cast<unsigned char>(bytes[at + i])}; };
    return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}

std::uint32_t le16(const QByteArray& bytes, qsizetype at)
{
    if (at + 2 > bytes.size())
        return 0;
    return std::uint32_t{static_cast<unsigned char>(bytes[at])}
        | std::uint32_t{static_cast<unsigned char>(bytes[at + 1])} << 8;
}

// True when an RLE4/RLE8 stream reaches its end-of-bitmap mark, or fills every row,
// before the data runs out.
bool rleComplete(const QByteArray& data, std::int64_t rows, bool fourBits)
{
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(data[i]); };
    qsizetype i = 0;
    std::int64_t row = 0;
    while (i + 2 <= data.size()) {
        const int count = at(i);
        const int code = at(i + 1);
        i += 2;
        if (count > 0)
            continue;  // a run: two bytes, whatever it paints
        if (code == 0 && ++row >= rows)
            return true;
        if (code == 1)
            return true;
        if (code == 2) {
            if (i + 2 > data.size())
                return false;
            row += at(i + 1);
            i += 2;
            if (row >= rows)
                return true;
        } else if (code > 2) {
            const qsizetype bytes = fourBits ? (code + 1) / 2 : code;
            i += bytes + (bytes & 1);  // absolute runs are padded to a 16-bit boundary
            if (i > data.size())
                return false;
        }
    }
    return false;
}

// Qt's BMP decoder fills no rows it could not read and follows a pixel offset past the
// end of the file, so a cut-short BMP would show whatever memory held before. Such a
// file is refused here; the rest of the checking is Qt's.
void checkBmp(QFile& file, std::int64_t fileSize)
{
    constexpr qsizetype kFileHeader = 14;
    const QByteArray head = file.peek(kFileHeader + 64);
    const std::int64_t headerSize = le32(head, kFileHeader);
    std::int64_t width = 0, height = 0, bits = 0, compression = 0, colours = 0, entry = 4, masks = 0;
    if (headerSize == 12) {  // OS/2 1.x
        width = le16(head, 18);
        height = static_cast<std::int16_t>(le16(head, 20));
        bits = le16(head, 24);
        entry = 3;
    } else if (headerSize >= 40) {
        width = static_cast<std::int32_t>(le32(head, 18));
        height = static_cast<std::int32_t>(le32(head, 22));
        bits = le16(head, 28);
        compression = le32(head, 30);
        colours = le32(head, 46);
        if (headerSize == 40 && (compression == 3 || compression == 6))
            masks = compression == 3 ? 12 : 16;
    } else {
        throw RuntimeError(err::InvalidPicture);
    }
    width = std::abs(width);
    height = std::abs(height);
    if (width * height * 4 > kMaxPictureBytes)
        throw RuntimeError(err::OutOfMemory);
    if (bits <= 8 && colours == 0)
        colours = std::int64_t{1} << bits;
    if (colours > 256)
        throw RuntimeError(err::InvalidPicture);
    // Qt starts at the stated offset when it lies beyond the palette, else right after it.
    const std::int64_t start = std::max<std::int64_t>(le32(head, 10), kFileHeader + headerSize + masks + colours * entry);
    if (start >= fileSize)
        throw RuntimeError(err::InvalidPicture);
    if (compression == 0 || compression == 3 || compression == 6) {
        const std::int64_t stride = (width * bits + 31) / 32 * 4;
        if (start + stride * height > fileSize)
            throw RuntimeError(err::InvalidPicture);
    } else if (compression == 1 || compression == 2) {
        file.seek(start);
        const QByteArray data = file.read(fileSize - start);
        file.seek(0);
        if (!rleComplete(data, height, compression == 2))
            throw RuntimeError(err::InvalidPicture);
    }
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
    int failure = 0;                // the error number, when decoding failed
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
    // libjpeg's own allocations fail with these; anything else is damage.
    const int code = info->err->msg_code;
    if (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE)
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
        if (job.failure == 0)
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

// The first frame of a GIF straight into the picture's pixels; with `keep`, only the
// kept top-left part. A preview is the whole picture scaled, as Qt's reader makes it.
QImage decodeGif(QFile& file, QSize box, const PictureOptions& options, const KeepPart* keep, QSize* natural)
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
    const QSize part = keep ? clampedPart((*keep)(whole), whole) : whole;
    QImage image(part, QImage::Format_RGB32);
    if (image.isNull())
        throw RuntimeError(err::OutOfMemory);
    adviseBigPagesFor(image);
    if (!gif.readPixels(reinterpret_cast<Pixel*>(image.bits()), image.bytesPerLine() / kBytesPerPixel,
            part.width(), part.height(), options.background.rgb()))
        throw RuntimeError(err::InvalidPicture);
    if (natural)
        *natural = whole;
    if (box.isValid() && !box.isEmpty()) {
        const QSize reduced = previewSize(whole, QImageIOHandler::TransformationNone, box);
        if (reduced.isValid())
            image = image.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (image.isNull())
            throw RuntimeError(err::OutOfMemory);
    }
    return image;
}

// The commonest BMP read straight into the picture's pixels, in blocks of rows; with
// `keep`, only the rows and columns of the kept top-left part.
QImage decodePlainBmp(QFile& file, const PlainBmp& bmp, const KeepPart* keep, QSize* natural)
{
    const QSize whole(bmp.width, bmp.height);
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
    const std::int64_t first = bmp.topDown ? bmp.rowOffset(0) : bmp.rowOffset(rows - 1);
    if (!file.seek(first))
        throw RuntimeError(err::InvalidPicture);
    constexpr std::int64_t kBlockBytes = std::int64_t{1} << 18;
    const std::int32_t perBlock = static_cast<std::int32_t>(std::clamp<std::int64_t>(kBlockBytes / bmp.stride, 1, rows));
    std::vector<std::uint8_t> block(static_cast<std::size_t>(bmp.stride * perBlock));
    for (std::int32_t done = 0; done < rows; done += perBlock) {
        const std::int32_t count = std::min(perBlock, rows - done);
        const std::int64_t bytes = bmp.stride * count;
        if (file.read(reinterpret_cast<char*>(block.data()), bytes) != bytes)
            throw RuntimeError(err::InvalidPicture);  // the file shrank under us
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int32_t stored = done + i;  // in file order
            const std::int32_t y = bmp.topDown ? stored : rows - 1 - stored;
            bmpRowToPixels(bmp, block.data() + static_cast<std::size_t>(bmp.stride) * i,
                reinterpret_cast<Pixel*>(image.scanLine(y)), part.width());
        }
    }
    if (natural)
        *natural = whole;
    return image;
}

// The picture smoothly scaled down to the size `fit` answers for it, when that is smaller.
QImage scaledToFit(QImage image, const KeepPart& fit)
{
    const QSize wanted = clampedPart(fit(image.size()), image.size());
    if (wanted == image.size())
        return image;
    image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.isNull())
        throw RuntimeError(err::OutOfMemory);
    return image;
}

// Metafiles, GIF and BMP.
QImage decodeOther(QFile& file, Kind kind, std::int64_t fileSize, QSize box, const PictureOptions& options,
    const KeepPart* keep, QSize* natural)
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
        return decodeGif(file, box, options, keep, natural);
    checkBmp(file, fileSize);
    const QByteArray head = file.peek(64);
    const auto plain = plainBmp(std::span(reinterpret_cast<const std::uint8_t*>(head.constData()),
        static_cast<std::size_t>(head.size())), fileSize);
    if (plain && !(box.isValid() && !box.isEmpty()))
        return decodePlainBmp(file, *plain, keep, natural);

    // Qt refuses anything above 128 MB by default, which an 8000 x 6000 photo exceeds.
    // The limit is raised to ours, and ours is checked first against what the header
    // claims, so a forged header is refused before a pixel buffer exists.
    QImageReader::setAllocationLimit(static_cast<int>(kMaxPictureBytes >> 20));
    QImageReader reader(&file, "bmp");
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
    QImage image = decodeOther(file, kind, fileSize, box, options, keep, natural);
    return fit ? scaledToFit(std::move(image), *fit) : image;
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
