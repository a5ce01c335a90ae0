#pragma once
// Records and attribute linkages made byte by byte for the DGN element and linkage tests, and
// the fuzz seeds made of them (the seeds are these very records, so the fuzzer starts from what
// the tests check).
#include "element_record_input.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace dgn_test {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, static_cast<std::uint16_t>(v));
    Put16(b, static_cast<std::uint16_t>(v >> 16));
}
inline void Put64(Bytes& b, std::uint64_t v)
{
    Put32(b, static_cast<std::uint32_t>(v));
    Put32(b, static_cast<std::uint32_t>(v >> 32));
}
inline void PutF64(Bytes& b, double d)
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, 8);
    Put64(b, bits);
}
// A V7 32-bit integer: high word first.
inline void PutV7Int32(Bytes& b, std::int32_t v)
{
    Put16(b, static_cast<std::uint16_t>(static_cast<std::uint32_t>(v) >> 16));
    Put16(b, static_cast<std::uint16_t>(v));
}
inline Bytes Cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline std::uint32_t Get32(const Bytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// A linkage as it stands in a record: size byte, flags, user ID, data; nothing added.
inline Bytes RawLinkage(std::uint8_t sizeByte, std::uint8_t flags, std::uint16_t userId, const Bytes& data)
{
    Bytes b{sizeByte, flags};
    Put16(b, userId);
    return Cat(b, data);
}

// A user-data linkage as the library writes it: whole 8 bytes, zero padded, the size byte
// scaled by a power of two when the words do not fit it.
inline Bytes UserLinkage(std::uint16_t userId, const Bytes& data)
{
    std::size_t words = ((data.size() + 11) & ~std::size_t(7)) / 2;
    unsigned exponent = 0;
    while (words > 255) {
        words = (words + 1) / 2;
        ++exponent;
    }
    const std::uint8_t sizeByte = static_cast<std::uint8_t>(exponent ? words : words - 1);
    const std::uint8_t flags = static_cast<std::uint8_t>(exponent ? 0x50 | exponent : 0x10);
    Bytes b = RawLinkage(sizeByte, flags, userId, data);
    b.resize((words << exponent) * 2, 0);
    return b;
}

inline Bytes StringLinkage(std::uint32_t id, const std::string& text)
{
    Bytes data;
    Put32(data, id);
    Put32(data, static_cast<std::uint32_t>(text.size()));
    data.insert(data.end(), text.begin(), text.end());
    return UserLinkage(0x56D2, data);
}

inline Bytes SolidFillLinkage(std::uint32_t color)
{
    Bytes data;
    Put32(data, 8);
    Put32(data, color);
    Put32(data, 0);
    return UserLinkage(0x0041, data);
}

// An unknown user ID with n data bytes 1, 2, 3, ...
inline Bytes GenericLinkage(std::uint16_t userId, std::size_t n)
{
    Bytes data(n);
    for (std::size_t i = 0; i < n; ++i)
        data[i] = static_cast<std::uint8_t>(i + 1);
    return UserLinkage(userId, data);
}

// A DMRS linkage: no user-data flag, 8 bytes.
inline Bytes DmrsLinkage(std::uint16_t entityId, std::uint32_t mslink, std::uint8_t linkType)
{
    Bytes b{0x00, 0x00};
    Put16(b, entityId);
    Put16(b, static_cast<std::uint16_t>(mslink));
    b.push_back(static_cast<std::uint8_t>(mslink >> 16));
    b.push_back(linkType);
    return b;
}

inline Bytes DbLinkLinkage(std::uint16_t userId, std::uint16_t entityId, std::uint32_t mslink, std::uint8_t linkType)
{
    Bytes data;
    Put16(data, 0x0F81);
    Put16(data, entityId);
    Put16(data, static_cast<std::uint16_t>(mslink));
    data.push_back(static_cast<std::uint8_t>(mslink >> 16));
    data.push_back(linkType);
    Put16(data, 0);
    Put16(data, 0);
    return UserLinkage(userId, data);
}

// A dependency with element-ID roots (type 0); stated roots may exceed the ids given.
inline Bytes DependencyLinkage(std::uint16_t appId, std::uint16_t appValue, const std::vector<std::uint64_t>& ids, std::uint16_t statedRoots)
{
    Bytes data;
    Put16(data, appId);
    Put16(data, appValue);
    Put16(data, 0x0200);
    Put16(data, statedRoots);
    for (std::uint64_t id : ids)
        Put64(data, id);
    return UserLinkage(0x56D0, data);
}

inline Bytes V7EntityIdLinkage(std::uint32_t id)
{
    Bytes data;
    Put32(data, id);
    return UserLinkage(0x7D2F, data);
}

// A text style linkage in the full form with a size (flags 0x1) and a 0x200 word.
inline Bytes TextStyleLinkage(double size, std::uint32_t word200)
{
    Bytes data;
    Put16(data, 0x0211);
    Put16(data, 0);
    Put32(data, 0);
    PutF64(data, size);
    Put32(data, word200);
    return UserLinkage(0x80D4, data);
}

// A level filter: the strings follow when present is not 0; the lengths are as given.
inline Bytes LFilterLinkage(std::uint32_t id, const std::string& name, const std::string& expression, std::uint32_t present,
                            std::uint32_t nameLength, std::uint32_t expressionLength)
{
    Bytes data;
    Put32(data, id);
    Put16(data, 3);
    Put16(data, 0);
    Put32(data, nameLength);
    Put32(data, expressionLength);
    Put32(data, present);
    data.insert(data.end(), name.begin(), name.end());
    data.insert(data.end(), expression.begin(), expression.end());
    return UserLinkage(0x56DD, data);
}

// A pattern fill in the current form, for options among 0x1-0x40 (doubles, values in order),
// 0x8000 (the cell ID) and 0x4000 (lines with the dash counts given).
inline Bytes PatternFillData(std::uint32_t options, const std::vector<double>& values, std::uint64_t cellId,
                             const std::vector<std::uint16_t>& lineDashes)
{
    Bytes data;
    Put32(data, options);
    for (double v : values)
        PutF64(data, v);
    if (options & 0x8000)
        Put64(data, cellId);
    if (options & 0x4000) {
        Put16(data, static_cast<std::uint16_t>(lineDashes.size()));
        for (std::uint16_t dashes : lineDashes) {
            for (int i = 0; i < 5; ++i)
                PutF64(data, 0.5 * i);
            Put16(data, dashes);
            for (std::uint16_t k = 0; k < dashes; ++k)
                PutF64(data, 1.0 + k);
        }
    }
    return data;
}

inline Bytes PatternFillLinkage(std::uint32_t options, const std::vector<double>& values, std::uint64_t cellId = 0,
                                const std::vector<std::uint16_t>& lineDashes = {})
{
    return UserLinkage(0x7D28, PatternFillData(options, values, cellId, lineDashes));
}

// The 36-byte V8 element header.
inline Bytes V8Header(std::uint16_t type, std::uint16_t flags, std::uint32_t sizeWords, std::uint32_t attrOffsetWords, std::int32_t level,
                      std::uint64_t id)
{
    Bytes b;
    Put32(b, 0xABCD0001u); // record tag, carried unchanged
    Put16(b, type);
    Put16(b, flags);
    Put32(b, sizeWords);
    Put32(b, attrOffsetWords);
    Put32(b, static_cast<std::uint32_t>(level));
    Put64(b, id);
    PutF64(b, 1.5e12);
    return b;
}

// The graphic header part (record offsets 36-107).
inline Bytes GraphicHeader(std::uint16_t properties, std::int32_t color, std::int32_t weight, std::int32_t style)
{
    Bytes b;
    Put32(b, 7);      // graphic group
    Put32(b, 0x8000); // graphic attribute
    Put16(b, properties);
    Put16(b, 0x0102); // properties2
    Put32(b, static_cast<std::uint32_t>(style));
    Put32(b, static_cast<std::uint32_t>(weight));
    Put32(b, static_cast<std::uint32_t>(color));
    const std::int64_t range[6] = {-100, -200, 0, 300, 400, 0};
    for (std::int64_t v : range)
        Put64(b, static_cast<std::uint64_t>(v));
    return b;
}

// A V8 record: header, then body (the bytes after the header), then linkages; the sizes
// state exactly that.
inline Bytes V8Record(std::uint16_t type, std::uint16_t flags, std::int32_t level, std::uint64_t id, const Bytes& body, const Bytes& linkages)
{
    const std::uint32_t aow = static_cast<std::uint32_t>((32 + body.size() + 1) / 2);
    const std::uint32_t sizeWords = aow + static_cast<std::uint32_t>(linkages.size() / 2);
    Bytes b = Cat(V8Header(type, flags, sizeWords, aow, level, id), body);
    b.resize(4 + 2 * aow, 0);
    return Cat(b, linkages);
}

// Bytes 0, 1, 2, ... of a payload.
inline Bytes Counting(std::size_t n, std::uint8_t start = 0)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(start + i);
    return b;
}

// Records of the element classes.

// An element of type 77 without a class: a complex header (component count word 3), flagged
// graphic, with a payload whose tail holds a string linkage.
inline Bytes UnknownComplexRecord()
{
    const Bytes linkages = StringLinkage(1, "cell");
    Bytes body = GraphicHeader(0x0003, 4, 2, 1);
    Put32(body, 3);
    body = Cat(body, Counting(22, 0x40));
    return V8Record(77, 0x1000 | 0x2000, 9, 4242, body, linkages);
}

// A plain (non-graphic) element of type 88.
inline Bytes UnknownPlainRecord() { return V8Record(88, 0x0000, 3, 777, Counting(40), {}); }

inline Bytes Type57Record(std::uint16_t subtype, std::size_t payload, const Bytes& linkages = {})
{
    Bytes body = Counting(12, 0xA0);
    Put16(body, subtype);
    if (subtype == 2) {
        Put32(body, 0x01020304);
        Put16(body, 0x0506);
    }
    return V8Record(57, 0, 5, 600, Cat(body, Counting(payload)), linkages);
}

inline Bytes Type56Record(std::size_t payload, const Bytes& linkages) { return V8Record(56, 0, 2, 601, Counting(payload, 7), linkages); }

// A model header body with units: storage 1/1, UOR scale uor, master num/den.
inline Bytes ModelHeaderBody(double uor, double masterNum = 1.0, double masterDen = 1.0)
{
    Bytes body(464, 0);
    auto putF = [&](std::size_t at, double d) {
        Bytes b;
        PutF64(b, d);
        std::memcpy(&body[at], b.data(), 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        Bytes b;
        Put32(b, v);
        std::memcpy(&body[at], b.data(), 4);
    };
    body[2] = 1;          // model type
    put32(24, 0x11);      // flags 1
    put32(32, 0x0A);      // storage units: base 2, system 1
    put32(36, 0x1);       // flags 2: 3-D model
    put32(40, 0x0B);      // master units: base 3, system 1
    put32(44, 0x0C);      // sub units: base 4, system 1
    putF(48, masterNum);
    putF(56, masterDen);
    putF(64, 10.0);
    putF(72, 1.0);
    putF(80, 5.0);        // origin
    putF(88, 6.0);
    putF(96, 7.0);
    putF(192, uor);
    putF(200, 1.0);
    putF(208, 1.0);
    put32(416, 3);        // background colour
    return body;
}

inline Bytes ModelHeaderRecord()
{
    const Bytes linkages = Cat(Cat(StringLinkage(1, "Default"), StringLinkage(2, "Master Model")),
                               Cat(StringLinkage(19, "mu"), StringLinkage(20, "su")));
    return V8Record(66, 0, 32, 0, ModelHeaderBody(10000.0), linkages);
}

inline Bytes ApplicationDataRecord(std::int32_t level, std::size_t payload, const Bytes& linkages = {})
{
    return V8Record(66, 0, level, 602, Counting(payload, 3), linkages);
}

// A V7 record: level (bit 7: complex component), type, words to follow, range, then the display
// header (graphic group, attribute index, properties, symbology) and the rest.
inline Bytes V7Record(std::uint8_t type, std::uint8_t levelByte, const std::int32_t range[6], std::uint16_t attrIndex, std::uint16_t properties,
                      std::uint16_t symbology, const Bytes& rest)
{
    Bytes b{levelByte, type, 0, 0};
    for (int i = 0; i < 6; ++i)
        PutV7Int32(b, range[i]);
    Put16(b, 11); // graphic group
    Put16(b, attrIndex);
    Put16(b, properties);
    Put16(b, symbology);
    b = Cat(b, rest);
    const std::size_t words = (b.size() - 4) / 2;
    b[2] = static_cast<std::uint8_t>(words);
    b[3] = static_cast<std::uint8_t>(words >> 8);
    return b;
}

// A V7 line-like record with symbology 0x0A1B, range 10..25 in x, and a V7 entity id linkage
// (id 321) after 8 body bytes.
inline Bytes V7LinkedRecord()
{
    const std::int32_t range[6] = {10, 20, 0, 25, 40, 0};
    Bytes idData;
    Put32(idData, 321);
    const Bytes rest = Cat(Counting(8), UserLinkage(0x7D2F, idData));
    // The attribute data starts 8 bytes after offset 36: index (36 + 8 - 32) / 2 = 6 words.
    return V7Record(3, 0x02, range, 6, 0x0800 | 0x0002, 0x0A1B, rest);
}

// Records of the table, level, view, file-level and reference classes.

// A level entry: number, flags, name in linkage 1 (and name2 in 2 when given).
inline Bytes LevelEntryRecord(std::uint32_t number, std::uint16_t levelFlags, const std::string& name, const std::string& name2 = "")
{
    Bytes body;
    Put32(body, number);
    Put32(body, 0xFFFFFFFF);
    Put16(body, 2);
    Put16(body, levelFlags);
    Put32(body, 0);
    for (std::uint32_t v : {0u, 0u, 1u, 1u, 1u, 2u, 3u, 4u, 0u, 0u, 0u})
        Put32(body, v);
    Put32(body, number);
    Put64(body, 0);
    const Bytes names = name2.empty() ? StringLinkage(1, name) : Cat(StringLinkage(1, name), StringLinkage(2, name2));
    return V8Record(95, 0x4400, 1, 300 + number, body, names);
}

// A level table header of count entries with an attachment ID and extra body bytes.
inline Bytes LevelTableRecord(std::uint32_t count, std::uint64_t attachmentId, std::size_t extra = 0)
{
    Bytes body;
    Put32(body, count);
    Put16(body, 1);
    Put16(body, 0);
    Put64(body, attachmentId);
    Put64(body, 0);
    Put64(body, 0);
    return V8Record(96, 0x2400, 1, 290, Cat(body, Counting(extra, 0x30)), {});
}

// A level mask of a view: bitCount stated, the bytes given.
inline Bytes LevelMaskRecord(std::uint16_t view, std::uint32_t bitCount, const Bytes& bits)
{
    Bytes body;
    Put16(body, 1);
    Put16(body, 0);
    Put16(body, 0);
    Put16(body, view);
    Put64(body, 0);
    Put32(body, bitCount);
    return V8Record(99, 0x4400, 0, 280 + view, Cat(body, bits), {});
}

inline Bytes ViewRecord(std::uint16_t number, std::uint16_t valid, std::uint32_t flags)
{
    Bytes body(272, 0);
    auto put = [&](std::size_t at, const Bytes& v) { std::memcpy(&body[at], v.data(), v.size()); };
    Bytes b;
    Put32(b, 1);
    put(0, b);
    for (int i = 0; i < 3; ++i) {
        Bytes one;
        PutF64(one, 1.0);
        put(8 + 8 * (4 * i), one);
    }
    b.clear();
    Put32(b, flags);
    put(216, b);
    b.clear();
    Put16(b, valid);
    Put16(b, number);
    put(230, b);
    return V8Record(98, 0x6400, 0, 260 + number, body, {});
}

inline Bytes ViewGroupRecord(std::uint32_t count)
{
    Bytes body;
    Put32(body, count);
    Put32(body, 0x10000);
    Put32(body, 64);
    Put64(body, 0);
    Put32(body, 2);
    return V8Record(97, 0x2400, 0, 259, Cat(body, Counting(112)), {});
}

// A V8 file header of bodyBytes (10312 in files) and a linkage.
inline Bytes FileHeaderRecord(std::size_t bodyBytes) { return V8Record(9, 0x0400, 0, 250, Counting(bodyBytes, 9), StringLinkage(5, "tcb")); }

inline Bytes RawTableHeaderRecord(std::int32_t table, std::uint32_t count, std::size_t raw)
{
    Bytes body;
    Put32(body, count);
    return V8Record(96, 0x2400, table, 240, Cat(body, Counting(raw, 0x11)), {});
}

inline Bytes RawTableEntryRecord(std::int32_t table, std::size_t raw) { return V8Record(95, 0x4400, table, 241, Counting(raw, 0x22), {}); }

// A font table entry: a name of UTF-16 units, nameBytes as stated (2 x the units unless given).
inline Bytes FontEntryRecord(const std::string& name, std::uint32_t number, int statedBytes = -1)
{
    Bytes body;
    Put32(body, 7);
    Put32(body, 0);
    Put32(body, number);
    Put16(body, static_cast<std::uint16_t>(statedBytes < 0 ? 2 * name.size() : statedBytes));
    for (char c : name)
        Put16(body, static_cast<std::uint8_t>(c));
    return V8Record(95, 0x4400, 2, 242, body, {});
}

inline Bytes LineStyleNameRecord(std::int32_t number, const std::string& name)
{
    Bytes body = Counting(60, 0x40);
    Put32(body, static_cast<std::uint32_t>(number));
    for (std::size_t i = 0; i < 64; ++i)
        Put16(body, i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0);
    return V8Record(95, 0x4400, 7, 243, body, {});
}

// A line style definition: the counts as stated, the bytes given after the 172-byte head.
inline Bytes LineStyleDefRecord(std::uint16_t components, std::uint16_t dataBytes, const Bytes& rest)
{
    Bytes body = Counting(164, 0x50);
    Put16(body, components);
    Put16(body, static_cast<std::uint16_t>(8 * components));
    Put16(body, dataBytes);
    Put16(body, 0);
    return V8Record(95, 0x4400, 8, 244, Cat(body, rest), {});
}

inline Bytes GroupDataRecord(std::int32_t level, const Bytes& raw) { return V8Record(5, 0x0400, level, 245, raw, {}); }

inline Bytes DgnStoreComponentRecord(std::uint32_t flag, std::size_t raw, const Bytes& linkages)
{
    Bytes body;
    Put32(body, 3);
    Put32(body, flag);
    if (flag == 0)
        body = Cat(body, Counting(20, 0x60));
    return V8Record(38, 0x0400, 0, 246, Cat(body, Counting(raw, 0x70)), linkages);
}

inline Bytes DgnStoreHeaderRecord(const std::string& signature, std::size_t raw)
{
    Bytes body;
    Put32(body, 0);
    Put32(body, 0x01020304);
    for (char c : signature)
        body.push_back(static_cast<std::uint8_t>(c));
    body.resize(28, 0);
    return V8Record(39, 0x0400, 0, 247, Cat(body, Counting(raw, 0x80)), {});
}

// A reference attachment: clipCount stated, clip points given, the file name in linkage 31.
inline Bytes ReferenceRecord(const std::string& fileName, std::uint16_t clipCount, std::size_t clipPoints)
{
    Bytes body(336, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        Bytes b;
        Put32(b, v);
        std::memcpy(&body[at], b.data(), 4);
    };
    auto putF = [&](std::size_t at, double d) {
        Bytes b;
        PutF64(b, d);
        std::memcpy(&body[at], b.data(), 8);
    };
    put32(4, 1);
    put32(12, 1);
    put32(28, 0x12082);
    for (int i = 0; i < 3; ++i)
        putF(184 + 8 * (4 * i), 1.0);
    putF(256, 1.0);
    body[328] = 1; // nest depth
    body[334] = static_cast<std::uint8_t>(clipCount);
    body[335] = static_cast<std::uint8_t>(clipCount >> 8);
    for (std::size_t i = 0; i < 2 * clipPoints; ++i)
        PutF64(body, 100.0 * static_cast<double>(i));
    return V8Record(100, 0, 0, 248, body, StringLinkage(31, fileName));
}

// Records of the drawn element classes.

// A V8 graphic record of a type: the graphic header with the properties, the body, linkages.
inline Bytes GraphicRecord(std::uint16_t type, std::uint16_t properties, const Bytes& body, const Bytes& linkages = {}, std::uint16_t flags = 0x1000)
{
    return V8Record(type, flags, 3, 0, Cat(GraphicHeader(properties, 1, 0, 0), body), linkages);
}

inline Bytes Doubles(std::initializer_list<double> values)
{
    Bytes b;
    for (double v : values)
        PutF64(b, v);
    return b;
}

inline Bytes V7Ints(std::initializer_list<std::int32_t> values)
{
    Bytes b;
    for (std::int32_t v : values)
        PutV7Int32(b, v);
    return b;
}

inline Bytes V7Body(std::uint8_t type, const Bytes& body, std::uint8_t level = 1)
{
    const std::int32_t range[6] = {0, 0, 0, 10, 10, 0};
    return V7Record(type, level, range, 0, 0, 0, body);
}

// A text body (2-D): font, justification, byte count n, multipliers, length, height, angle,
// origin, field count k, the text, the fields.
inline Bytes TextBody2d(const std::string& text, double length, double height, std::uint16_t statedBytes, std::uint16_t fields, const Bytes& fieldBytes)
{
    Bytes b;
    Put32(b, 1);
    Put16(b, 2);
    Put16(b, statedBytes);
    b = Cat(b, Doubles({1000.0, 2000.0, length, height, 0.5, 100.0, 200.0}));
    Put16(b, fields);
    b.insert(b.end(), text.begin(), text.end());
    return Cat(b, fieldBytes);
}

inline Bytes TextStyleWithFlags(std::uint16_t flags)
{
    Bytes data;
    Put16(data, flags);
    Put16(data, 0);
    Put32(data, 0);
    PutF64(data, 1.0);
    Put32(data, 0);
    return UserLinkage(0x80D4, data);
}

// A dimension's V8 body: the 200 bytes (kind, point count, text 2 x 3, terminators 1 wide and 2
// long, identity rotation), the points (x, y, offset), then the text bytes.
inline Bytes DimensionBody(std::uint8_t kind, const std::vector<std::array<double, 3>>& points, const std::string& text)
{
    Bytes b(200, 0);
    b[29] = kind;
    b[31] = static_cast<std::uint8_t>(points.size());
    const double values[] = {2, 3};
    std::memcpy(b.data() + 48, values, sizeof values);
    const double terminators[] = {2, 1};
    std::memcpy(b.data() + 128, terminators, sizeof terminators);
    const double rotation[] = {1, 0, 0, 1};
    std::memcpy(b.data() + 168, rotation, sizeof rotation);
    for (const auto& p : points) {
        b = Cat(b, Doubles({p[0], p[1], 0, p[2], 0}));
        Put32(b, 0);
        Put32(b, 0);
    }
    b.insert(b.end(), text.begin(), text.end());
    return b;
}

// The fuzz seeds: a reader byte and a record the tests use.
inline std::vector<std::pair<std::string, Bytes>> FuzzSeeds()
{
    using namespace dgn_fuzz;
    auto seed = [](std::uint8_t reader, const Bytes& record) { return Cat(Bytes{reader}, record); };
    const Bytes fillLinkages = Cat(SolidFillLinkage(5), GenericLinkage(0x1234, 300));
    const Bytes everyKind = Cat(Cat(Cat(DmrsLinkage(7, 0x123456, 2), DbLinkLinkage(0x5800, 3, 70000, 1)),
                                    Cat(DependencyLinkage(1, 2, {4242}, 1), TextStyleLinkage(2.5, 9))),
                                Cat(Cat(V7EntityIdLinkage(321), LFilterLinkage(4, "lvl", "a&b", 1, 3, 3)),
                                    Cat(PatternFillLinkage(0x8031, {1.0, 2.0}, 4242), PatternFillLinkage(0x4000, {}, 0, {2, 0}))));
    return {
        {"unknown_complex", seed(kUnknownElement, UnknownComplexRecord())},
        {"unknown_plain", seed(kUnknownElement, UnknownPlainRecord())},
        {"unknown_v7", seed(kUnknownElement | kReadV7 | kTouchFirst, V7LinkedRecord())},
        {"type57_subtype1", seed(kType57, Type57Record(1, 88))},
        {"type57_subtype2_long", seed(kType57 | kTouchFirst, Type57Record(2, 300, StringLinkage(4, "x")))},
        {"type56_linked", seed(kType56, Type56Record(50, fillLinkages))},
        {"model_header", seed(kModelHeader, ModelHeaderRecord())},
        {"application_data_26", seed(kApplicationData | kTouchFirst, ApplicationDataRecord(26, 21, StringLinkage(9, "map")))},
        {"application_data_v7file", seed(kApplicationData | kFileV7 | kFile3d, ApplicationDataRecord(20, 8))},
        {"linkages_mixed", seed(kLinkages, Cat(fillLinkages, StringLinkage(1, "name")))},
        {"linkages_every_kind", seed(kLinkages, everyKind)},
        {"graphic_every_kind", seed(kUnknownElement, V8Record(200, 0x1000, 1, 900, GraphicHeader(0, 1, 2, 3), everyKind))},
        {"factory_level_entry", seed(kByFactory, LevelEntryRecord(7, 0x0269, "walls", "waende"))},
        {"factory_level_table", seed(kByFactory, LevelTableRecord(2, 0, 64))},
        {"factory_level_mask", seed(kByFactory, LevelMaskRecord(3, 10, {0xFF, 0x03}))},
        {"factory_view", seed(kByFactory, ViewRecord(2, 1, 0x80))},
        {"factory_view_group", seed(kByFactory, ViewGroupRecord(16))},
        {"factory_file_header", seed(kByFactory, FileHeaderRecord(10312))},
        {"factory_raw_table", seed(kByFactory, RawTableHeaderRecord(5, 1, 30))},
        {"factory_raw_entry", seed(kByFactory, RawTableEntryRecord(4, 40))},
        {"factory_font_entry", seed(kByFactory, FontEntryRecord("ARIAL", 1024))},
        {"factory_line_style_name", seed(kByFactory, LineStyleNameRecord(5, "dashed"))},
        {"factory_line_style_def", seed(kByFactory, LineStyleDefRecord(2, 12, Counting(28)))},
        {"factory_group_data", seed(kByFactory, GroupDataRecord(1, Counting(2 + 768)))},
        {"factory_dgnstore_component", seed(kByFactory, DgnStoreComponentRecord(0, 12, StringLinkage(1, "x")))},
        {"factory_dgnstore_header", seed(kByFactory, DgnStoreHeaderRecord("DGNS", 20))},
        {"factory_reference", seed(kByFactory, ReferenceRecord("other.dgn", 2, 2))},
        {"factory_line_3d", seed(kByFactory, GraphicRecord(3, 0x0800, Doubles({1, 2, 3, 4, 5, 6})))},
        {"factory_shape_2d_filled", seed(kByFactory | kTouchFirst, GraphicRecord(6, 0, Cat(Bytes{3, 0, 0, 0, 0, 0, 0, 0}, Doubles({0, 0, 9, 0, 9, 9})),
                                                                               SolidFillLinkage(4)))},
        {"factory_point_string_2d", seed(kByFactory, GraphicRecord(22, 1, Cat(Bytes{1, 0, 0, 0, 0, 0, 0, 0}, Doubles({3, 4, 1, 0, 0, 0}))))},
        {"factory_arc_3d", seed(kByFactory, GraphicRecord(16, 0x0800, Doubles({0, 1.5, 2, 1, 1, 0, 0, 0, 5, 6, 7})))},
        {"factory_text_2d_styled", seed(kByFactory | kTouchFirst, GraphicRecord(17, 0, TextBody2d("hello", 7, 8, 200, 50, {1, 2, 3}),
                                                                              TextStyleWithFlags(0x0211)))},
        {"factory_text_node_2d", seed(kByFactory | kTouchFirst, GraphicRecord(7, 0, Bytes(64, 0)))},
        {"factory_cell_2d", seed(kByFactory, GraphicRecord(2, 0, Bytes(88, 0), StringLinkage(1, "door"), 0x3000))},
        {"factory_v7_shape_3d", seed(kByFactory | kReadV7 | kFile3d, V7Body(6, Cat(Bytes{4, 0}, V7Ints({0, 0, 0, 10, 0, 1, 10, 10, 2, 0, 10, 3}))))},
        {"factory_v7_line_string_2d", seed(kByFactory | kReadV7, V7Body(4, Cat(Bytes{0x60, 0xEA}, V7Ints({5, 6, 7, 8}))))},
        {"factory_v7_arc_2d", seed(kByFactory | kReadV7, V7Body(16, Cat(Bytes(24, 0), Cat(V7Ints({-90 * 360000}), Bytes(16, 0)))))},
        {"factory_v7_text_2d", seed(kByFactory | kReadV7, V7Body(17, Cat(Cat(Bytes{1, 2}, V7Ints({1000, 2000, 0, 100, 200})), Bytes{2, 3, 'o', 'k'})))},
        {"factory_dimension_2d", seed(kByFactory, GraphicRecord(33, 0x1000, DimensionBody(1, {{0, 0, 5}, {100, 0, 0}, {250, 40, 0}}, "")))},
        {"factory_dimension_3d_note", seed(kByFactory | kFile3d, GraphicRecord(33, 0x1800, DimensionBody(53, {{0, 0, 0}, {50, 0, 0}, {80, 30, 0}}, "12345678901234567890note")))},
        {"factory_v7_dimension_2d", seed(kByFactory | kReadV7, V7Body(33, Cat(Cat(Bytes(11, 0), Bytes{11, 0, 3}), Cat(Bytes(86, 0), Counting(3 * 20 + 6)))))},
        {"factory_v7_cell_2d", seed(kByFactory | kReadV7, V7Body(2, Cat(Cat(Bytes{0x88, 0x13}, Bytes(14, 0)),
                                                                         V7Ints({0, 0, 10, 10, 214748, 0, 0, 214748, 50, 60}))))},
        {"factory_complex_shape", seed(kByFactory | kTouchFirst, GraphicRecord(14, 0, Bytes{2, 0, 0, 0, 9, 0, 0, 0}, SolidFillLinkage(3), 0x3000))},
        {"factory_v7_complex_chain", seed(kByFactory | kReadV7, V7Body(12, Bytes{0x40, 0, 2, 0}))},
        {"factory_curve_3d", seed(kByFactory, GraphicRecord(11, 0x0800, Cat(Bytes{5, 0, 0, 0, 0, 0, 0, 0}, Doubles({0, 0, 0, 1, 1, 1, 2, 0, 2, 3, 1, 3, 4, 0, 4}))))},
        {"factory_point_string_3d", seed(kByFactory, GraphicRecord(22, 0x0800, Cat(Bytes{1, 0, 0, 0, 0, 0, 0, 0}, Doubles({3, 4, 5, 1, 0, 0, 0}))))},
        {"factory_shared_cell_definition", seed(kByFactory | kTouchFirst, GraphicRecord(34, 0x0800, Cat(Bytes(8, 0), Doubles({-1, -1, -1, 1, 1, 1, 1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 6, 7})),
                                                                                   Cat(StringLinkage(1, "door"), StringLinkage(2, "front")), 0x3400))},
        {"factory_shared_cell_instance", seed(kByFactory, GraphicRecord(35, 0x0800, Cat(Bytes(8, 0), Doubles({-1, -1, -1, 1, 1, 1, 2, 0, 0, 0, 2, 0, 0, 0, 2, 5, 6, 7})),
                                                                        Cat(StringLinkage(1, "door"), DependencyLinkage(1, 0, {77}, 1)), 0x3000))},
        {"factory_v7_shared_cell", seed(kByFactory | kReadV7, V7Body(35, Cat(Cat(Bytes(16, 0), Bytes(24, 1)), Cat(Bytes(72 + 12 + 4, 0), Bytes{'d', 'o', 'o', 'r'}))))},
        {"factory_text_node_3d", seed(kByFactory | kTouchFirst, GraphicRecord(7, 0x0800, Cat(Bytes(40, 0), Doubles({1, 0, 0, 0, 100, -200, 0}))))},
        {"factory_tag_set", seed(kByFactory | kTouchFirst, V8Record(39, 0x2400, 0, 31, Cat(Cat(Bytes(8, 0), Bytes{0x74, 0x65, 0x53, 0x74, 0x81, 0x0F, 0, 0}),
                                                                                        Cat(Cat(Bytes(8, 0), Bytes{24, 0, 0, 0}),
                                                                                            Cat(Bytes{'w', 0, 1, 0, 'W', '?', 0, 1, 0, 2, 0, 0, 0, 0, 'o', 'k', 0}, Bytes(7, 0)))),
                                                                   StringLinkage(1, "set")))},
        {"factory_v7_tag_set", seed(kByFactory | kReadV7, Cat(Bytes{24, 66, 16, 0}, Cat(Bytes(40, 0), Bytes{'s', 0, 0, 'a', 0, 1, 0, 'A', 0, 2, 0, 0, 0, 0, 0, 0, 5, 0})))},
        {"factory_attribute_tag_2d", seed(kByFactory | kTouchFirst, GraphicRecord(37, 0, Cat(Cat(Bytes(104, 0), Bytes{4, 0, 1, 0}), Cat(Bytes(100, 0), Bytes{3, 0, 0, 0, 'o', 'a', 'k', 0})),
                                                                                 DependencyLinkage(10007, 0, {31}, 1)))},
        {"factory_attribute_tag_3d_binary", seed(kByFactory, GraphicRecord(37, 0x0800, Cat(Cat(Bytes(104, 0), Bytes{4, 0, 5, 0}), Cat(Bytes(100, 0), Bytes{2, 0, 0, 0, 1, 2, 3, 4}))))},
        {"factory_complex_solid", seed(kByFactory, GraphicRecord(19, 0x0800, Bytes{3, 0, 0, 0, 1, 0, 0, 0, 7, 0, 1, 0, 2, 0, 3, 0}, {}, 0x3000))},
        {"factory_cone", seed(kByFactory | kTouchFirst, GraphicRecord(23, 0x0800, Cat(Bytes(8, 0), Doubles({1, 0, 0, 0, 0, 0, 0, 2, 10, 0, 0, 1}))))},
        {"factory_v7_cone_2d_file", seed(kByFactory | kReadV7, V7Body(23, Cat(Bytes{1, 0}, Bytes(16 + 64, 0))))},
        {"factory_conic", seed(kByFactory, V8Record(13, 0x1000, 4, 99, Counting(90, 5), StringLinkage(3, "c")))},
    };
}

} // namespace dgn_test
