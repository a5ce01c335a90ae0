#include "persistence/BinaryFileArchive.h"

#include <windows.h>
#include <share.h>

#include <cstdlib>
#include <cstring>

namespace {
const size_t kRecordReserve = 32768;
} // namespace

CBinaryFileArchive::CBinaryFileArchive(const char* fileName) : CBinaryArchive(true)
{
    SetFileName(fileName);
    m_record.reserve(kRecordReserve);
}

CBinaryFileArchive::~CBinaryFileArchive() { Close(); }

void CBinaryFileArchive::SetFileName(const char* fileName) { m_fileName = fileName ? fileName : ""; }

bool CBinaryFileArchive::WriteRaw(const void* data, size_t length)
{
    return length == 0 || std::fwrite(data, 1, length, m_file) == length;
}

bool CBinaryFileArchive::Append(const uint8_t* head, size_t headLength, const uint8_t* data, size_t length)
{
    if (!WriteRaw(head, headLength) || !WriteRaw(data, length)) {
        WriteFault(aeWriteFailed);
        return false;
    }
    return true;
}

bool CBinaryFileArchive::Overwrite(uint64_t position, const uint8_t* data, size_t length)
{
    if (_fseeki64(m_file, static_cast<int64_t>(position), SEEK_SET) != 0 || !WriteRaw(data, length) ||
        _fseeki64(m_file, 0, SEEK_END) != 0) {
        WriteFault(aeWriteFailed);
        return false;
    }
    return true;
}

bool CBinaryFileArchive::Take(uint64_t length, const uint8_t*& data)
{
    if (length > BytesLeft())
        return false;
    m_stored.resize(static_cast<size_t>(length));
    if (length != 0 && std::fread(m_stored.data(), 1, m_stored.size(), m_file) != m_stored.size())
        return false;
    m_position += length;
    data = m_stored.data();
    return true;
}

uint64_t CBinaryFileArchive::BytesLeft() const { return m_fileSize > m_position ? m_fileSize - m_position : 0; }

int CBinaryFileArchive::Close()
{
    int result = 1;
    if (m_file) {
        if (m_storing && !FinishSave())
            result = 0;
        if (std::fclose(m_file) != 0 && m_storing) {
            WriteFault(aeWriteFailed);
            result = 0;
        }
        m_file = nullptr;
    }
    EndAccess();
    return result;
}

int CBinaryFileArchive::BeginSave()
{
    if (m_storing)
        return 1;
    Restart(true);
    if (m_fileName.empty())
        return 0;
    m_file = _fsopen(m_fileName.c_str(), "wb", _SH_DENYNO);
    if (!m_file)
        return 0;
    if (!StartSave()) {
        std::fclose(m_file);
        m_file = nullptr;
        DeleteFileA(m_fileName.c_str());
        return 0;
    }
    return 1;
}

int CBinaryFileArchive::BeginLoad()
{
    if (m_loading)
        return 1;
    Restart(false);
    if (m_fileName.empty())
        return 0;
    m_file = _fsopen(m_fileName.c_str(), "rb", _SH_DENYNO);
    if (!m_file)
        return 0;
    if (_fseeki64(m_file, 0, SEEK_END) != 0) {
        Close();
        return 0;
    }
    const int64_t size = _ftelli64(m_file);
    _fseeki64(m_file, 0, SEEK_SET);
    m_fileSize = size > 0 ? static_cast<uint64_t>(size) : 0;
    m_position = 0;
    if (!StartLoad(m_fileSize)) {
        Close();
        return 0;
    }
    return 1;
}

int CBinaryFileArchive::ReadBytes(void** data, int32_t* length)
{
    if (data)
        *data = nullptr;
    if (length)
        *length = 0;
    const uint8_t* p = nullptr;
    int32_t n = 0;
    if (!m_reader.Bytes(&p, &n))
        return 0;
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(n) + 2));
    if (!copy) {
        m_error = aeNoMemory;
        return 0;
    }
    std::memcpy(copy, p, static_cast<size_t>(n));
    copy[n] = 0;
    copy[n + 1] = 0;
    if (data)
        *data = copy;
    else
        std::free(copy);
    if (length)
        *length = n;
    return 1;
}
