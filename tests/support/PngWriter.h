// A minimal PNG encoder for building test images: 8-bit RGB or RGBA, no
// filtering, the image data in stored (uncompressed) deflate blocks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

struct PngPixel {
    uint8_t r, g, b, a;
};

class PngWriter {
public:
    static std::string Encode(int width, int height, const std::vector<PngPixel>& pixels, bool alpha)
    {
        std::string header;
        Put32(header, static_cast<uint32_t>(width));
        Put32(header, static_cast<uint32_t>(height));
        // Bits per sample, colour type, then no compression, filter or interlace.
        header += {8, static_cast<char>(alpha ? 6 : 2), 0, 0, 0};
        std::string raw;
        for (int y = 0; y < height; ++y) {
            raw += '\0';  // filter: none
            for (int x = 0; x < width; ++x) {
                const PngPixel& p = pixels[static_cast<size_t>(y) * width + x];
                raw += {static_cast<char>(p.r), static_cast<char>(p.g), static_cast<char>(p.b)};
                if (alpha)
                    raw += static_cast<char>(p.a);
            }
        }
        std::string png("\x89PNG\r\n\x1A\n", 8);
        Chunk(png, "IHDR", header);
        Chunk(png, "IDAT", Zlib(raw));
        Chunk(png, "IEND", {});
        return png;
    }

    // A fully transparent RGBA image of any size in a small file: its zero
    // bytes are deflated as repeats of the previous byte.
    static std::string Blank(uint32_t width, uint32_t height)
    {
        std::string header;
        Put32(header, width);
        Put32(header, height);
        header += {8, 6, 0, 0, 0};
        const uint64_t zeros = uint64_t{height} * (1 + uint64_t{width} * 4);
        std::string data("\x78\x01", 2);
        Bits bits{data};
        bits.Put(1, 1);  // the last block, fixed codes
        bits.Put(1, 2);
        uint64_t left = zeros;
        bits.Code(0x30, 8);  // literal 0
        --left;
        for (; left >= 258; left -= 258) {
            bits.Code(0xC5, 8);  // length 258
            bits.Code(0, 5);     // distance 1
        }
        for (; left > 0; --left)
            bits.Code(0x30, 8);
        bits.Code(0, 7);  // end of block
        bits.Flush();
        Put32(data, static_cast<uint32_t>((zeros % 65521) << 16 | 1));
        std::string png("\x89PNG\r\n\x1A\n", 8);
        Chunk(png, "IHDR", header);
        Chunk(png, "IDAT", data);
        Chunk(png, "IEND", {});
        return png;
    }

private:
    // Deflate's bit order: values least significant bit first, codes most
    // significant bit first.
    struct Bits {
        std::string& out;
        unsigned value = 0, count = 0;
        void Put(unsigned bits, unsigned n)
        {
            for (unsigned i = 0; i < n; ++i) {
                value |= ((bits >> i) & 1u) << count;
                if (++count == 8)
                    Flush();
            }
        }
        void Code(unsigned code, unsigned n)
        {
            for (unsigned i = n; i-- > 0;)
                Put((code >> i) & 1u, 1);
        }
        void Flush()
        {
            if (count)
                out += static_cast<char>(value);
            value = count = 0;
        }
    };

    static void Put32(std::string& out, uint32_t value)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>((value >> shift) & 0xFF);
    }

    static uint32_t Crc(const std::string& bytes)
    {
        uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char byte : bytes) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return crc ^ 0xFFFFFFFFu;
    }

    static std::string Zlib(const std::string& raw)
    {
        std::string out("\x78\x01", 2);
        size_t offset = 0;
        do {
            const size_t length = std::min<size_t>(raw.size() - offset, 65535);
            const bool last = offset + length == raw.size();
            out += static_cast<char>(last ? 1 : 0);
            for (size_t half : {length, ~length & 0xFFFF})  // LEN, then NLEN, little-endian
                out += {static_cast<char>(half & 0xFF), static_cast<char>(half >> 8)};
            out.append(raw, offset, length);
            offset += length;
        } while (offset < raw.size());
        uint32_t a = 1, b = 0;
        for (unsigned char byte : raw) {
            a = (a + byte) % 65521;
            b = (b + a) % 65521;
        }
        Put32(out, (b << 16) | a);
        return out;
    }

    static void Chunk(std::string& png, const char* type, const std::string& data)
    {
        Put32(png, static_cast<uint32_t>(data.size()));
        const std::string typed = std::string(type, 4) + data;
        png += typed;
        Put32(png, Crc(typed));
    }
};

}  // namespace TestSupport
