#include "engine/ScaledPng.h"

#include <QFile>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <csetjmp>
#include <vector>

#include <png.h>

namespace ostrivo {

namespace {

struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int depth = 0;
    int colorType = 0;
    bool interlaced = false;
};

std::uint32_t bigEndian(const unsigned char* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::optional<PngHeader> headerOf(std::FILE* file)
{
    unsigned char bytes[29];
    if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes || png_sig_cmp(bytes, 0, 8) != 0 ||
        std::memcmp(bytes + 12, "IHDR", 4) != 0)
        return std::nullopt;
    std::rewind(file);
    return PngHeader{bigEndian(bytes + 16), bigEndian(bytes + 20), bytes[24], bytes[25], bytes[28] != 0};
}

// Adds each pixel of the file into the box of the result it falls in, for the result's rows
// [first, first + rows): box sums of premultiplied 8-bit channels, which a file of any size cannot
// overflow in 64 bits.
class BoxSums {
public:
    BoxSums(std::uint32_t width, std::uint32_t height, QSize out)
        : height_(height), out_(out), columnOf_(width), perColumn_(static_cast<std::size_t>(out.width())),
          perRow_(static_cast<std::size_t>(out.height()))
    {
        for (std::uint32_t x = 0; x < width; ++x) {
            columnOf_[x] = static_cast<std::uint32_t>(std::uint64_t{x} * static_cast<std::uint64_t>(out.width()) / width);
            ++perColumn_[columnOf_[x]];
        }
        for (std::uint32_t y = 0; y < height; ++y)
            ++perRow_[rowOf(y)];
    }

    int rowOf(std::uint32_t y) const
    {
        return static_cast<int>(std::uint64_t{y} * static_cast<std::uint64_t>(out_.height()) / height_);
    }

    void start(int first, int rows)
    {
        first_ = first;
        rows_ = rows;
        sums_.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(out_.width()) * 4, 0);
    }
    int end() const { return first_ + rows_; }
    bool translucent() const { return translucent_; }

    // Pixels x0, x0 + dx, ... of row y, as 8-bit RGBA.
    void add(std::uint32_t y, std::uint32_t x0, std::uint32_t dx, const unsigned char* rgba, std::uint32_t count)
    {
        const int row = rowOf(y);
        if (row < first_ || row >= end())
            return;
        std::uint64_t* line = sums_.data() + static_cast<std::size_t>(row - first_) * static_cast<std::size_t>(out_.width()) * 4;
        for (std::uint32_t i = 0; i < count; ++i, rgba += 4) {
            std::uint64_t* box = line + std::size_t{columnOf_[x0 + i * dx]} * 4;
            const unsigned alpha = rgba[3];
            translucent_ = translucent_ || alpha != 0xFF;
            box[0] += rgba[0] * alpha;
            box[1] += rgba[1] * alpha;
            box[2] += rgba[2] * alpha;
            box[3] += alpha;
        }
    }

    // Writes the averages of the rows held into `image` (premultiplied ARGB).
    void flush(QImage& image) const
    {
        for (int row = first_; row < end(); ++row) {
            const std::uint64_t* line = sums_.data() + static_cast<std::size_t>(row - first_) * static_cast<std::size_t>(out_.width()) * 4;
            auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(row));
            for (int column = 0; column < out_.width(); ++column, line += 4) {
                const std::uint64_t n = std::uint64_t{perColumn_[static_cast<std::size_t>(column)]} * perRow_[static_cast<std::size_t>(row)];
                auto channel = [n](std::uint64_t sum, std::uint64_t scale) {
                    return static_cast<int>((sum + n * scale / 2) / (n * scale));
                };
                pixels[column] = qRgba(channel(line[0], 255), channel(line[1], 255), channel(line[2], 255), channel(line[3], 1));
            }
        }
    }

private:
    std::uint32_t height_;
    QSize out_;
    std::vector<std::uint32_t> columnOf_;
    std::vector<std::uint32_t> perColumn_;
    std::vector<std::uint32_t> perRow_;
    std::vector<std::uint64_t> sums_;
    int first_ = 0;
    int rows_ = 0;
    bool translucent_ = false;
};

[[noreturn]] void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Decodes every row of the file (every pass of an interlaced one) as 8-bit RGBA into `sums`. When
// `streaming`, the rows come in order and each finished row of the result is written to `image`
// as soon as the next begins. False when libpng finds the file damaged. Only plain data lives in
// this frame: libpng leaves it by longjmp.
bool decodeInto(std::FILE* file, BoxSums& sums, bool streaming, QImage& image, std::vector<unsigned char>& row)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const bool interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
    if (png_get_rowbytes(png, info) != std::size_t{width} * 4)
        png_error(png, "unexpected row size");
    row.resize(std::size_t{width} * 4);
    for (int pass = 0; pass < (interlaced ? 7 : 1); ++pass) {
        const png_uint_32 columns = interlaced ? PNG_PASS_COLS(width, pass) : width;
        const png_uint_32 rows = interlaced ? PNG_PASS_ROWS(height, pass) : height;
        if (columns == 0 || rows == 0)
            continue;  // libpng skips an empty pass
        for (png_uint_32 r = 0; r < rows; ++r) {
            png_read_row(png, row.data(), nullptr);
            const png_uint_32 y = interlaced ? PNG_ROW_FROM_PASS_ROW(r, pass) : r;
            if (streaming && sums.rowOf(y) >= sums.end()) {
                sums.flush(image);
                sums.start(sums.rowOf(y), 1);
            }
            sums.add(y, interlaced ? PNG_PASS_START_COL(pass) : 0, interlaced ? PNG_PASS_COL_OFFSET(pass) : 1, row.data(),
                     columns);
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// The sums of an interlaced file's result are held for this many bytes at most; past it the file
// is decoded again for each band of rows.
constexpr std::size_t kBandBytes = 32 * 1024 * 1024;

}  // namespace

std::optional<QImage> readScaledPng(const QString& path, QSize pixels, QString* problem)
{
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rbe");
    if (!file)
        return std::nullopt;
    struct Close {
        std::FILE* file;
        ~Close() { std::fclose(file); }
    } closing{file};
    const std::optional<PngHeader> header = headerOf(file);
    if (!header || header->width == 0 || header->height == 0 || !pixels.isValid())
        return std::nullopt;
    const QSize natural(static_cast<int>(std::min<std::uint32_t>(header->width, INT_MAX)),
                        static_cast<int>(std::min<std::uint32_t>(header->height, INT_MAX)));
    const bool qtScales = header->depth == 8 && (header->colorType == PNG_COLOR_TYPE_RGB ||
                                                 header->colorType == PNG_COLOR_TYPE_RGB_ALPHA) && !header->interlaced;
    if (qtScales || (natural.width() <= pixels.width() && natural.height() <= pixels.height()))
        return std::nullopt;

    const QSize out = natural.boundedTo(pixels);
    QImage image(out, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        *problem = QStringLiteral("memoria insufficiente per l'immagine");
        return QImage();
    }
    BoxSums sums(header->width, header->height, out);
    std::vector<unsigned char> row;
    const int band = header->interlaced
                         ? static_cast<int>(std::max<std::size_t>(1, kBandBytes / (static_cast<std::size_t>(out.width()) * 32)))
                         : 1;
    for (int first = 0; first < out.height(); first += header->interlaced ? band : out.height()) {
        sums.start(first, std::min(band, out.height() - first));
        std::rewind(file);
        if (!decodeInto(file, sums, !header->interlaced, image, row)) {
            *problem = QStringLiteral("immagine PNG di %1 x %2 pixel illeggibile: file danneggiato")
                           .arg(QString::number(header->width), QString::number(header->height));
            return QImage();
        }
        sums.flush(image);
    }
    // An opaque picture prints without an alpha mask.
    if (!sums.translucent())
        image.convertTo(QImage::Format_RGB32);
    return image;
}

}  // namespace ostrivo
