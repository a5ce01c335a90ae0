// Field visitors of the record tables: every record type lists its fields once, in archive
// order (a static template Fields(visitor, record)), and these visitors write or read them.
// In memory every integer is held as a 32-bit value and every float as a double; the visitor
// narrows to the archive width on writing and widens on reading.
#pragma once

#include "persistence/DataArchive.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

class CFieldWriter
{
public:
    explicit CFieldWriter(CDataArchive& archive) : m_ar(archive) {}
    void Int32(int32_t value) { m_ar.WriteInt32(value); }
    void Int16(int32_t value) { m_ar.WriteInt16(static_cast<int16_t>(value)); }
    void Byte(int32_t value) { m_ar.WriteByte(static_cast<uint8_t>(value)); }
    void Float(double value) { m_ar.WriteFloat(value); }
    void String(const std::string& text) { m_ar.WriteString(text.c_str()); }
    void Bytes(const std::vector<uint8_t>& data)
    {
        m_ar.WriteBytes(data.empty() ? nullptr : data.data(), static_cast<int32_t>(data.size()));
    }
    // A database ID in a 16-bit field: an ID that does not fit would come back as another
    // row's ID, so it travels as 0 ("no database ID") and a later save gives the element a new
    // row instead.
    void DatabaseId16(int32_t value)
    {
        m_ar.WriteInt16(static_cast<int16_t>(value >= 0 && value <= INT16_MAX ? value : 0));
    }
    // Fields of the layout that no element uses: written as 0, skipped on reading.
    void Unused16() { m_ar.WriteInt16(0); }
    void Unused32() { m_ar.WriteInt32(0); }

private:
    CDataArchive& m_ar;
};

class CFieldReader
{
public:
    explicit CFieldReader(CDataArchive& archive) : m_ar(archive) {}
    void Int32(int32_t& value) { value = m_ar.ReadInt32(); }
    void Int16(int32_t& value) { value = m_ar.ReadInt16(); }
    void Byte(int32_t& value) { value = m_ar.ReadByte(); }
    void Float(double& value) { value = m_ar.ReadFloat(); }
    void String(std::string& text)
    {
        const char* read = m_ar.ReadString();
        text = read ? read : "";
    }
    // The record keeps its own copy: it never points into an archive's buffer, so a table
    // outlives the archive it was read from.
    void Bytes(std::vector<uint8_t>& data)
    {
        void* block = nullptr;
        int32_t length = 0;
        data.clear();
        if (m_ar.ReadBytes(&block, &length) > 0 && block && length > 0) {
            const uint8_t* p = static_cast<const uint8_t*>(block);
            data.assign(p, p + length);
        }
        if (block && m_ar.ReadBytesAreOwned())
            std::free(block);
    }
    // A negative stored ID is one that an older writer truncated: it names no row of ours.
    void DatabaseId16(int32_t& value)
    {
        value = m_ar.ReadInt16();
        if (value < 0)
            value = 0;
    }
    void Unused16() { m_ar.ReadInt16(); }
    void Unused32() { m_ar.ReadInt32(); }

private:
    CDataArchive& m_ar;
};
