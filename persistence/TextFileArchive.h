// CTextFileArchive: the readable "YVEXtext" format. Line 1 is "//FormatYVEXtext"; a block is a
// line "// " + name, one line per record with its values separated by ";", and a line ";".
// A record with a bytes value is followed by one line of encoded bytes.
#pragma once

#include "persistence/DataArchive.h"

#include <cstdio>
#include <string>

class CTextFileArchive : public CDataArchive
{
public:
    // Text-format errors beyond the shared ones.
    enum TextError {
        teNoPendingBytes = 1,  // EndReadRecord found no bytes value to finish
        teBytesLineFailed = -3 // the encoded bytes line could not be written or read
    };

    explicit CTextFileArchive(const char* fileName = nullptr);
    ~CTextFileArchive() override;

    void SetFileName(const char* fileName);
    const std::string& GetFileName() const { return m_fileName; }

    const char* GetFormatName() const override;
    int Reserved() override { return 0; }
    bool ReadBytesAreOwned() const override { return true; }

    int BeginSave() override;
    int BeginLoad() override;
    int Close() override;

    void WriteInt32(int32_t value) override;
    void WriteInt16(int16_t value) override;
    void WriteByte(uint8_t value) override;
    void WriteFloat(double value) override;
    void WriteString(const char* text) override;
    void WriteBytes(const void* data, int32_t length) override;

    int ReadBytes(void** data, int32_t* length) override;
    int32_t ReadInt32() override;
    int16_t ReadInt16() override;
    uint8_t ReadByte() override;
    double ReadFloat() override;
    const char* ReadString() override;

    void RewindRecord() override;
    int BeginReadRecord() override;
    int EndReadRecord() override;
    int BeginWriteRecord() override { return 1; }
    int EndWriteRecord() override;
    int EndWriteBlock() override;
    const char* BeginReadBlock() override;
    int BeginWriteBlock(const char* name) override;

    // The encoding of bytes values: a byte below 34 becomes "!" + (byte + 48).
    static std::string EncodeBytes(const void* data, size_t length);
    static std::string DecodeBytes(const char* text, size_t length);
    // The quoted form of a string value, and back.
    static std::string QuoteString(const char* text);
    static std::string UnquoteString(const std::string& field);

private:
    bool ReadLine(std::string& line);
    bool WriteLine(const std::string& line);
    void AppendValue(const std::string& text);
    std::string NextField(bool quoted);

    std::string m_fileName;
    FILE* m_file = nullptr;
    std::string m_line;         // writing: the record being assembled; reading: current line
    size_t m_valueStart = 0;    // reading: start of the next value in m_line
    std::string m_pendingBytes; // writing: encoded bytes written after the record line
    bool m_hasPendingBytes = false;
    std::string m_blockName;
    std::string m_field;        // the last string read
    bool m_eof = false;
};
