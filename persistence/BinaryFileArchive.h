// CBinaryFileArchive: the "YVEXbinary" format in a file. Records of blocks with length prefixes
// are zero-run packed; blocks of fixed-length records may use packing too when it pays.
#pragma once

#include "persistence/BinaryArchive.h"

#include <cstdio>
#include <string>
#include <vector>

class CBinaryFileArchive : public CBinaryArchive
{
public:
    explicit CBinaryFileArchive(const char* fileName = nullptr);
    ~CBinaryFileArchive() override;

    void SetFileName(const char* fileName);
    const std::string& GetFileName() const { return m_fileName; }

    int BeginSave() override;
    int BeginLoad() override;
    int Close() override;

    // A fresh heap block (free()) per call.
    int ReadBytes(void** data, int32_t* length) override;

protected:
    bool Append(const uint8_t* head, size_t headLength, const uint8_t* data, size_t length) override;
    bool Overwrite(uint64_t position, const uint8_t* data, size_t length) override;
    bool Take(uint64_t length, const uint8_t*& data) override;
    uint64_t BytesLeft() const override;

private:
    bool WriteRaw(const void* data, size_t length);

    std::string m_fileName;
    FILE* m_file = nullptr;

    // Reading.
    uint64_t m_fileSize = 0;
    uint64_t m_position = 0;
    std::vector<uint8_t> m_stored;  // the bytes of the last Take
};
