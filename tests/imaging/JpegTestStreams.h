#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

// Builds small JPEG streams byte by byte for the header tests, so that each
// case shows exactly the bytes it is about.
class JpegStream {
public:
    struct Component {
        uint8_t id, sampling, table;
    };

    JpegStream& Raw(std::initializer_list<uint8_t> bytes) {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }
    JpegStream& Raw(const std::vector<uint8_t>& bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    JpegStream& Soi() { return Raw({0xFF, 0xD8}); }
    JpegStream& Eoi() { return Raw({0xFF, 0xD9}); }
    // A segment with the length computed from its body.
    JpegStream& Segment(uint8_t marker, const std::vector<uint8_t>& body) {
        return SegmentWithLength(marker, static_cast<uint16_t>(body.size() + 2), body);
    }
    JpegStream& SegmentWithLength(uint8_t marker, uint16_t length, const std::vector<uint8_t>& body) {
        Raw({0xFF, marker, uint8_t(length >> 8), uint8_t(length)});
        return Raw(body);
    }
    JpegStream& Frame(uint16_t width, uint16_t height, std::vector<Component> components,
                      uint8_t marker = 0xC0, uint8_t precision = 8) {
        std::vector<uint8_t> body = {precision, uint8_t(height >> 8), uint8_t(height),
                                     uint8_t(width >> 8), uint8_t(width),
                                     uint8_t(components.size())};
        for (const Component& c : components) body.insert(body.end(), {c.id, c.sampling, c.table});
        return Segment(marker, body);
    }
    JpegStream& Colour420(uint16_t width, uint16_t height) {
        return Frame(width, height, {{1, 0x22, 0}, {2, 0x11, 1}, {3, 0x11, 1}});
    }
    // An 8-bit quantisation table whose entry k (zig-zag order) is k + 1.
    JpegStream& Dqt(uint8_t number) {
        std::vector<uint8_t> body = {number};
        for (int k = 0; k < 64; ++k) body.push_back(uint8_t(k + 1));
        return Segment(0xDB, body);
    }
    // A Huffman table of one 1-bit code for the symbol.
    JpegStream& Dht(uint8_t classAndId, uint8_t symbol = 0) {
        std::vector<uint8_t> body = {classAndId, 1};
        body.resize(17, 0);
        body.push_back(symbol);
        return Segment(0xC4, body);
    }
    // Scan of the given component ids, each with DC/AC selectors 0.
    JpegStream& Sos(std::vector<uint8_t> ids, uint8_t tables = 0x00) {
        std::vector<uint8_t> body = {uint8_t(ids.size())};
        for (uint8_t id : ids) body.insert(body.end(), {id, tables});
        body.insert(body.end(), {0, 63, 0});
        return Segment(0xDA, body);
    }
    // The usual tables of a colour image ahead of its frame.
    JpegStream& Tables() { return Dqt(0).Dqt(1).Dht(0x00).Dht(0x10).Dht(0x01).Dht(0x11); }

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

// A little-endian TIFF block for EXIF APP1 tests, written at fixed offsets.
class TiffBlock {
public:
    explicit TiffBlock(size_t size, bool bigEndian = false) : m_bytes(size, 0), m_big(bigEndian) {
        m_bytes[0] = m_bytes[1] = bigEndian ? 'M' : 'I';
        Put16(2, 42);
    }
    TiffBlock& Put16(size_t at, uint16_t v) {
        Put(at, v, 2);
        return *this;
    }
    TiffBlock& Put32(size_t at, uint32_t v) {
        Put(at, v, 4);
        return *this;
    }
    TiffBlock& Text(size_t at, const char* text) {
        for (size_t i = 0; text[i]; ++i) m_bytes.at(at + i) = uint8_t(text[i]);
        return *this;
    }
    TiffBlock& FirstIfd(uint32_t offset) { return Put32(4, offset); }
    // An IFD at the offset: entries {tag, type, count, value} and the next link.
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    TiffBlock& Ifd(size_t at, std::vector<Entry> entries, uint32_t next = 0) {
        Put16(at, uint16_t(entries.size()));
        size_t p = at + 2;
        for (const Entry& e : entries) {
            Put16(p, e.tag).Put16(p + 2, e.type).Put32(p + 4, e.count);
            if (e.type == 3) {
                Put16(p + 8, uint16_t(e.value));
            } else {
                Put32(p + 8, e.value);
            }
            p += 12;
        }
        return Put32(p, next);
    }
    // The APP1 body: "Exif\0\0" and the TIFF block.
    std::vector<uint8_t> App1Body() const {
        std::vector<uint8_t> body = {'E', 'x', 'i', 'f', 0, 0};
        body.insert(body.end(), m_bytes.begin(), m_bytes.end());
        return body;
    }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    void Put(size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            int shift = m_big ? 8 * (n - 1 - i) : 8 * i;
            m_bytes.at(at + i) = uint8_t(v >> shift);
        }
    }
    std::vector<uint8_t> m_bytes;
    bool m_big;
};
