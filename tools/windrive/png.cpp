#include "windrive.h"

#include <array>

// PNG with an uncompressed zlib stream (deflate "stored" blocks): larger files, no library.
namespace windrive {
namespace {

const std::array<uint32_t, 256>& CrcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = CrcTable()[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& body) {
    PutBigEndian(out, static_cast<uint32_t>(body.size()));
    size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    PutBigEndian(out, Crc32(out.data() + typeAt, out.size() - typeAt));
}

// Each row starts with filter type 0 (none).
std::vector<uint8_t> Scanlines(int width, int height, const std::vector<uint8_t>& rgb) {
    size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        auto row = rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<size_t>(y));
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }
    return raw;
}

std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        bool last = at + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                 raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    PutBigEndian(z, Adler32(raw));
    return z;
}

}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb) {
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3)
        return {};
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(width));
    PutBigEndian(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(Scanlines(width, height, rgb)));
    PutChunk(png, "IEND", {});
    return png;
}

}  // namespace windrive
